// One visitor out of several lambdas, for std::visit over a message's alternatives.
#pragma once

namespace tessaly {

template <typename... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };
// Spelled out for compilers without C++20's aggregate deduction (clang before 17).
template <typename... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

} // namespace tessaly
