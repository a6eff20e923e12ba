// One visitor out of several lambdas, for std::visit over a message's alternatives.
#pragma once

namespace tessaly {

template <typename... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };

} // namespace tessaly
