#include "speech/listen/ListenProtocol.h"

#include <charconv>
#include <cstdio>

namespace kazu::listen {

std::string EncodeFrame(FrameType type, std::string_view payload) {
    std::string frame(1, static_cast<char>(type));
    const auto size = static_cast<uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i) frame.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
    frame.append(payload);
    return frame;
}

std::optional<Frame> TakeFrame(std::string& buffer) {
    if (buffer.size() < 5)
        return std::nullopt;
    uint32_t size = 0;
    for (int i = 0; i < 4; ++i)
        size |= static_cast<uint32_t>(static_cast<unsigned char>(buffer[1 + i])) << (8 * i);
    if (buffer.size() - 5 < size)
        return std::nullopt;
    Frame frame{static_cast<FrameType>(buffer[0]), buffer.substr(5, size)};
    buffer.erase(0, 5 + size);
    return frame;
}

namespace {

std::optional<double> ParseConfidence(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<int> ParseInt(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// "WORD REST" → WORD, and `line` keeps REST.
std::string_view TakeWord(std::string_view& line) {
    const size_t space = line.find(' ');
    const std::string_view word = line.substr(0, space);
    line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    return word;
}

}  // namespace

std::optional<ListenEvent> ParseListenLine(std::string_view line) {
    using Kind = ListenEvent::Kind;
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    const std::string_view head = TakeWord(line);
    if (head == "state") {
        if (line == "ready")
            return ListenEvent{Kind::Ready};
        if (line == "speech")
            return ListenEvent{Kind::Speech};
        if (line == "silence")
            return ListenEvent{Kind::Silence};
        if (line == "end")
            return ListenEvent{Kind::End};
        if (line == "no-microphone")
            return ListenEvent{Kind::NoMicrophone};
        if (line == "microphone-failed")
            return ListenEvent{Kind::MicrophoneFailed};
        return std::nullopt;
    }
    if (head == "level") {
        const auto level = ParseInt(line);
        if (!level || *level < 0 || *level > 100)
            return std::nullopt;
        return ListenEvent{Kind::Level, 0, *level, 0, {}};
    }
    const auto confidence = ParseConfidence(TakeWord(line));
    if (!confidence)
        return std::nullopt;
    if (head == "rejected" && line.empty())
        return ListenEvent{Kind::Rejected, *confidence};
    if (head == "calc" && !line.empty())
        return ListenEvent{Kind::Calc, *confidence, 0, 0, std::string(line)};
    if (head == "command") {
        const auto number = ParseInt(TakeWord(line));
        const auto phrase = ParseInt(line);
        if (number && *number > 0 && phrase && *phrase >= 0)
            return ListenEvent{Kind::Command, *confidence, *number, *phrase, {}};
    }
    return std::nullopt;
}

std::string FormatListenEvent(const ListenEvent& event) {
    using Kind = ListenEvent::Kind;
    char confidence[32];
    std::snprintf(confidence, sizeof confidence, "%.3f", event.confidence);
    switch (event.kind) {
        case Kind::Ready:
            return "state ready";
        case Kind::Speech:
            return "state speech";
        case Kind::Silence:
            return "state silence";
        case Kind::End:
            return "state end";
        case Kind::NoMicrophone:
            return "state no-microphone";
        case Kind::MicrophoneFailed:
            return "state microphone-failed";
        case Kind::Level:
            return "level " + std::to_string(event.number);
        case Kind::Calc:
            return std::string("calc ") + confidence + " " + event.text;
        case Kind::Command:
            return std::string("command ") + confidence + " " + std::to_string(event.number) + " " +
                   std::to_string(event.phrase);
        case Kind::Rejected:
            return std::string("rejected ") + confidence;
    }
    return {};
}

}  // namespace kazu::listen
