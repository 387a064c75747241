// The pipe protocol between the program and kazuchan-listen, the recogniser process.
//
// Program → recogniser (standard input), binary frames: one type byte, a 4-byte little-endian
// payload length, the payload.
//   'A'  audio: 16 kHz mono signed 16-bit little-endian samples
//   'M'  listening mode: "calc", "command" or "off" (recognitions are then dropped)
// Closing standard input ends the recogniser once the audio sent so far is recognised.
//
// Recogniser → program (standard output), one UTF-8 line each:
//   state ready                  models and grammars loaded, audio is being read
//   state speech | state silence an utterance started or ended
//   level N                      input level 0..100 of the last audio frame
//   calc CONF TEXT               calculation mode: TEXT as dictation would deliver it
//   command CONF N I             command mode: command number N, said as grammar phrase I
//   rejected CONF                nothing that was said is in the active grammar
//   state end                    standard input closed and the last utterance recognised
//   state no-microphone          the microphone it was told to read is not there
//   state microphone-failed      the microphone stopped giving sound
// Anything else (the engine's own log goes to standard error) is ignored.
// Plain C++ so that both ends and the tests share it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kazu::listen {

enum class FrameType : char { Audio = 'A', Mode = 'M' };

std::string EncodeFrame(FrameType type, std::string_view payload);

// Splits frames off the front of `buffer`, which collects bytes as they arrive.
struct Frame {
    FrameType type;
    std::string payload;
};
std::optional<Frame> TakeFrame(std::string& buffer);
constexpr uint32_t kMaxFramePayload = 1 << 20;  // a longer frame means a broken stream

struct ListenEvent {
    enum class Kind {
        Ready,
        Speech,
        Silence,
        End,
        NoMicrophone,
        MicrophoneFailed,
        Level,
        Calc,
        Command,
        Rejected
    };
    ListenEvent(Kind kind_, double confidence_ = 0, int number_ = 0, int phrase_ = 0,
                std::string text_ = {})
        : kind(kind_),
          confidence(confidence_),
          number(number_),
          phrase(phrase_),
          text(std::move(text_)) {}
    Kind kind;
    double confidence = 0;
    int number = 0;    // command number or level
    int phrase = 0;    // which phrase of the command grammar
    std::string text;  // calculation text
};
std::optional<ListenEvent> ParseListenLine(std::string_view line);
std::string FormatListenEvent(const ListenEvent& event);

// The acoustic model files the recogniser loads from its --model folder: context-dependent
// phones with their name list for calculations, plain phones for commands.
inline constexpr const char* kTriphoneModel = "hmmdefs_ptm_gid.binhmm";
inline constexpr const char* kTriphoneList = "logicalTri";
inline constexpr const char* kPhoneModel = "hmmdefs_monof_mix16_gid.binhmm";
inline constexpr const char* kModelFiles[] = {kTriphoneModel, kTriphoneList, kPhoneModel};
// The cepstral means of speech each model's input starts from (the engine's HTK text format),
// shipped with the program: heard with the first utterance on, each utterance's mean then
// leads to the next.
inline constexpr const char* kTriphoneMean = "listen-triphones.cmn";
inline constexpr const char* kPhoneMean = "listen-phones.cmn";
// Beside them, the room's reverberation as last measured (NoiseSuppressor::SavedRoom).
inline constexpr const char* kRoomFile = "listen-room.txt";

}  // namespace kazu::listen
