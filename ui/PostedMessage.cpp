// The posted messages' one event type.
#include "ui/PostedMessage.h"

namespace tessaly {

QEvent::Type PostedMessageEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

} // namespace tessaly
