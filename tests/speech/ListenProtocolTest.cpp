// The pipe protocol between the program and kazuchan-listen: frames in, event lines out.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "speech/listen/ListenProtocol.h"

namespace kazu::listen {
namespace {

using Kind = ListenEvent::Kind;

std::string Bytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

// Frames of every size class that matters: empty, tiny, one audio packet, a byte whose value
// looks like a type or a length, the largest allowed.
std::vector<Frame> SampleFrames() {
    return {{FrameType::Mode, "calc"},       {FrameType::Audio, ""},
            {FrameType::Audio, Bytes(1, 1)}, {FrameType::Audio, Bytes(3200, 2)},
            {FrameType::Mode, "command"},    {FrameType::Audio, std::string(300, 'A')},
            {FrameType::Mode, "off"},        {FrameType::Audio, Bytes(kMaxFramePayload, 3)}};
}

std::string Stream(const std::vector<Frame>& frames) {
    std::string stream;
    for (const auto& frame : frames) stream += EncodeFrame(frame.type, frame.payload);
    return stream;
}

// Feeds `stream` in pieces of the sizes `next` picks and takes frames off as they complete.
template <typename NextSize>
std::vector<Frame> Receive(const std::string& stream, NextSize next) {
    std::vector<Frame> frames;
    std::string buffer;
    for (size_t at = 0; at < stream.size();) {
        const size_t size = std::min(next(), stream.size() - at);
        buffer.append(stream, at, size);
        at += size;
        while (auto frame = TakeFrame(buffer)) frames.push_back(std::move(*frame));
    }
    EXPECT_TRUE(buffer.empty());
    return frames;
}

void ExpectSameFrames(const std::vector<Frame>& got, const std::vector<Frame>& sent) {
    ASSERT_EQ(got.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(got[i].type, sent[i].type) << i;
        EXPECT_EQ(got[i].payload, sent[i].payload) << i;
    }
}

TEST(ListenFrameTest, HeaderIsTypeAndLittleEndianLength) {
    EXPECT_EQ(EncodeFrame(FrameType::Mode, "calc"), std::string("M\x04\0\0\0calc", 9));
    const std::string frame = EncodeFrame(FrameType::Audio, std::string(0x010203, 'x'));
    EXPECT_EQ(frame.substr(0, 5), std::string("A\x03\x02\x01\0", 5));
    EXPECT_EQ(frame.size(), 5u + 0x010203);
}

TEST(ListenFrameTest, FramesSurviveAnyReadBoundaries) {
    const std::vector<Frame> sent = SampleFrames();
    const std::string stream = Stream(sent);
    ExpectSameFrames(Receive(stream, [] { return size_t{1}; }), sent);
    ExpectSameFrames(Receive(stream, [&] { return stream.size(); }), sent);
    for (unsigned seed = 0; seed < 20; ++seed) {
        std::mt19937 random(seed);
        // Mostly short reads, now and then one far beyond a frame.
        std::uniform_int_distribution<size_t> small(1, 16);
        std::uniform_int_distribution<size_t> large(1, 2 * kMaxFramePayload);
        ExpectSameFrames(
            Receive(stream, [&] { return random() % 8 == 0 ? large(random) : small(random); }),
            sent);
    }
}

TEST(ListenFrameTest, IncompleteFrameWaitsAndLeavesTheBufferAlone) {
    const std::string frame = EncodeFrame(FrameType::Audio, "abcdef");
    for (size_t size = 0; size < frame.size(); ++size) {
        std::string buffer = frame.substr(0, size);
        EXPECT_FALSE(TakeFrame(buffer)) << size;
        EXPECT_EQ(buffer, frame.substr(0, size));
    }
}

// TakeFrame only splits; it is the reader that gives up on a frame it could never hold: once
// 5 + kMaxFramePayload bytes are waiting without a whole frame among them.
TEST(ListenFrameTest, OverlongFrameNeverCompletesWithinTheReadersLimit) {
    const uint32_t size = kMaxFramePayload + 1;
    std::string buffer = {'A', static_cast<char>(size & 0xFF),
                          static_cast<char>((size >> 8) & 0xFF),
                          static_cast<char>((size >> 16) & 0xFF), static_cast<char>(size >> 24)};
    buffer.append(kMaxFramePayload, '\0');
    EXPECT_FALSE(TakeFrame(buffer));
    EXPECT_GE(buffer.size(), 5 + kMaxFramePayload);

    std::string huge("A\xFF\xFF\xFF\xFF", 5);
    huge.append(kMaxFramePayload, '\0');
    EXPECT_FALSE(TakeFrame(huge));
}

TEST(ListenLineTest, EveryEventRoundTrips) {
    const std::vector<ListenEvent> events = {
        {Kind::Ready},
        {Kind::Speech},
        {Kind::Silence},
        {Kind::End},
        {Kind::NoMicrophone},
        {Kind::MicrophoneFailed},
        {Kind::Level, 0, 0},
        {Kind::Level, 0, 100},
        {Kind::Level, 0, 37},
        {Kind::Calc, 0.875, 0, 0, "3かける4わ"},
        {Kind::Calc, 1, 0, 0, "12 たす 9 イコール"},
        {Kind::Command, 0.5, 4, 0},
        {Kind::Command, 0.125, 81, 1234},
        {Kind::Rejected, 0},
        {Kind::Rejected, 0.25},
    };
    for (const auto& event : events) {
        const std::string line = FormatListenEvent(event);
        SCOPED_TRACE(line);
        for (const std::string& input : {line, line + "\n"}) {
            const auto parsed = ParseListenLine(input);
            ASSERT_TRUE(parsed);
            EXPECT_EQ(parsed->kind, event.kind);
            EXPECT_DOUBLE_EQ(parsed->confidence, event.confidence);
            EXPECT_EQ(parsed->number, event.number);
            EXPECT_EQ(parsed->phrase, event.phrase);
            EXPECT_EQ(parsed->text, event.text);
        }
    }
}

TEST(ListenLineTest, ConfidenceKeepsThreeDecimals) {
    const auto parsed = ParseListenLine(FormatListenEvent({Kind::Calc, 0.123456, 0, 0, "1"}));
    ASSERT_TRUE(parsed);
    EXPECT_DOUBLE_EQ(parsed->confidence, 0.123);
}

TEST(ListenLineTest, MalformedLinesAreIgnored) {
    const char* const lines[] = {
        "",
        "\n",
        " ",
        "state",
        "state ",
        "state readyy",
        "state ready extra",
        "State ready",
        "level",
        "level ",
        "level -1",
        "level 101",
        "level 5x",
        "level x",
        "level 99999999999999999999",
        "calc",
        "calc 0.5",
        "calc 0.5 ",
        "calc x 3かける4",
        "calc  3かける4",
        "command",
        "command 0.5",
        "command 0.5 4",
        "command 0.5 0 1",
        "command 0.5 -4 1",
        "command 0.5 4 -1",
        "command 0.5 4 1 2",
        "command 0.5 4x 1",
        "command 0.5 4 1x",
        "command x 4 1",
        "command 0.5 99999999999999999999 0",
        "rejected",
        "rejected x",
        "rejected 0.5 more",
        "rejected 0.5x",
        "heard 0.5 3",
        "\xFF\xFE garbage",
        "stat",
        "lev",
    };
    for (const char* line : lines) EXPECT_FALSE(ParseListenLine(line)) << '"' << line << '"';
    // Bytes after an embedded NUL are not silently dropped.
    EXPECT_FALSE(ParseListenLine(std::string_view("state ready\0x", 13)));
}

TEST(ListenLineTest, TruncatedLinesNeverChangeKind) {
    for (const std::string& line :
         {std::string("command 0.750 12 3"), std::string("rejected 0.125"),
          std::string("state silence"), std::string("calc 0.500 3かける4")}) {
        for (size_t size = 0; size < line.size(); ++size) {
            const auto parsed = ParseListenLine(std::string_view(line).substr(0, size));
            // A shorter number is still a number; any other kind or garbage is a fault.
            if (parsed) {
                EXPECT_EQ(FormatListenEvent(*parsed).substr(0, line.find(' ')),
                          line.substr(0, line.find(' ')))
                    << size;
            }
        }
    }
}

}  // namespace
}  // namespace kazu::listen
