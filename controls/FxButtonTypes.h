// Enumerations, feature bits, the messages and the per-state array of the skinned button.
#pragma once

#include <QtGlobal>
#include <array>
#include <variant>

namespace tessaly {

// The four drawing states; every per-state array and per-state argument list follows this order.
enum class ButtonState { Normal = 260, Pressed = 261, Hover = 262, Disabled = 263 };
enum class ButtonKind { PushKind = 270, CheckKind = 271, RadioKind = 272 };
enum class BevelStyle { Flat = 257, Raised = 258, Sunken = 259 };

constexpr int kStateCount = 4;
constexpr std::array<ButtonState, kStateCount> kAllStates = {ButtonState::Normal, ButtonState::Pressed,
                                                             ButtonState::Hover, ButtonState::Disabled};

constexpr int StateIndex(ButtonState state) {
    return static_cast<int>(state) - static_cast<int>(ButtonState::Normal);
}

// Values held once per drawing state, indexed by StateIndex.
template <typename T> using PerState = std::array<T, kStateCount>;

// Bits of the FeatureMask given to ApplySkin: each switches one drawing step off.
using FeatureMask = quint32;
constexpr FeatureMask kFeatureNoBackground = 0x01;
constexpr FeatureMask kFeatureNoText = 0x02;
constexpr FeatureMask kFeatureNoImage = 0x04;
constexpr FeatureMask kFeatureNoFrame = 0x08;
constexpr FeatureMask kFeatureNoFocus = 0x10;
// All ones leaves every step as it is.
constexpr FeatureMask kFeatureUnchanged = 0xFFFFFFFFu;

// Template style bits the button reads at attachment (the low byte decides the kind).
constexpr int BS_AUTOCHECKBOX = 0x0003;
constexpr int BS_AUTORADIOBUTTON = 0x0009;
constexpr int BS_LEFTTEXT = 0x0020;
constexpr int BS_PUSHLIKE = 0x1000;

// Posted to the other members of a radio group when one of them becomes checked.
struct FxButtonUncheck {};
inline constexpr FxButtonUncheck WM_FXBUTTON_UNCHECK{};
using FxButtonMessages = std::variant<FxButtonUncheck>;

// The platform's item-state flags of one draw request.
struct DrawRequest {
    bool selected = false; // pushed
    bool disabled = false;
    bool focus = false;
};

} // namespace tessaly
