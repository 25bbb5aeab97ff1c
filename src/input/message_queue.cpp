#include "input/message_queue.h"

#include "input/key_state.h"
#include "platform/platform.h"

bool MessageQueue::post(const Message& message)
{
    if (count == kMessageQueueCapacity)
        return false;
    ring[(head + count) % kMessageQueueCapacity] = message;
    ++count;
    return true;
}

void MessageQueue::postQuit(int code)
{
    quitPosted = true;
    quitCode = code;
}

namespace {

Message fromEvent(const platform::Event& event)
{
    Message m{};
    m.key = event.key;
    m.repeat = event.repeat;
    m.width = event.width;
    m.height = event.height;
    switch (event.kind) {
    case platform::EventKind::Size:
        m.kind = MessageKind::Size;
        break;
    case platform::EventKind::Paint:
        m.kind = MessageKind::Paint;
        break;
    case platform::EventKind::Close:
        m.kind = MessageKind::Close;
        break;
    case platform::EventKind::KeyDown:
        m.kind = MessageKind::KeyDown;
        break;
    case platform::EventKind::KeyUp:
        m.kind = MessageKind::KeyUp;
        break;
    case platform::EventKind::LeftButtonDown:
        m.kind = MessageKind::LeftButtonDown;
        break;
    case platform::EventKind::RightButtonDown:
        m.kind = MessageKind::RightButtonDown;
        break;
    }
    return m;
}

} // namespace

bool MessageQueue::take(Message& out, KeyStateTable& keys)
{
    if (count == 0 && pumpsPlatform) {
        platform::Event event;
        while (count < kMessageQueueCapacity && platform::pollEvent(event))
            post(fromEvent(event));
    }
    if (count > 0) {
        out = ring[head];
        head = (head + 1) % kMessageQueueCapacity;
        --count;
        keys.apply(out);
        return true;
    }
    if (quitPosted) {
        quitPosted = false;
        out = Message{};
        out.kind = MessageKind::Quit;
        out.quitCode = quitCode;
        return true;
    }
    return false;
}
