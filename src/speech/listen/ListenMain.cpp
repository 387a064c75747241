// kazuchan-listen: the recogniser process. It loads the acoustic models once with a recogniser
// for spoken calculations and, when given, one for commands, reads audio and mode frames from
// standard input and writes what it heard to standard output (speech/listen/ListenProtocol.h).
// Asked to, it reads the microphone itself, so that the window's thread sleeps while nobody
// speaks; standard input then carries only the modes.
// Running apart from the window keeps libjulius's exit() on internal errors and its global state
// away from the program.
#include <fcntl.h>
#include <poll.h>
#include <pulse/pulseaudio.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "speech/listen/Agreement.h"
#include "speech/listen/ListenProtocol.h"
#include "speech/listen/NoiseSuppressor.h"
#include "speech/listen/SpokenGrammar.h"

extern "C" {
#include <julius/juliuslib.h>
}
// sent/stddefs.h (through juliuslib.h) defines these as macros; they would break the library.
#undef min
#undef max
#undef abs

namespace {

using kazu::listen::FormatListenEvent;
using kazu::listen::Frame;
using kazu::listen::FrameType;
using kazu::listen::kPhoneMean;
using kazu::listen::kPhoneModel;
using kazu::listen::kTriphoneList;
using kazu::listen::kTriphoneMean;
using kazu::listen::kTriphoneModel;
using kazu::listen::ListenEvent;

constexpr const char* kCalc = "calc";
constexpr const char* kCommand = "command";
constexpr const char* kTriphones = "triphones";
constexpr const char* kPhones = "phones";
// Each grammar is heard twice by a model, the second time with its frequency axis warped down
// by a fifth: a child's shorter vocal tract puts every formant about that much higher than in
// the adult voices the models learned from, and unwarped, children's words were heard as other
// words. Between 300 Hz and 6 kHz: the pitch and the top band stay as they are.
constexpr const char* kWarp[] = {"-vtln", "0.8", "300", "6000"};
constexpr std::string_view kWarped = "-child";
std::string Warped(std::string_view name) {
    return std::string(name) + std::string(kWarped);
}

// A grammar heard by a model (and by its warped twin, NAME-child on MODEL-child).
struct Hearer {
    const char* name;
    const char* model;
};
// Calculations by both models (Agreement.h): of the benchmark's calculations one model often
// heard right what the other missed. Commands by the plain phone model alone: with their few,
// short words it told them apart better than the context-dependent one.
constexpr Hearer kCalcHearers[] = {{kCalc, kTriphones}, {"calc-phones", kPhones}};
constexpr Hearer kCommandHearers[] = {{kCommand, kPhones}};
constexpr const char* kUsage =
    "usage: kazuchan-listen --model DIR --calc PREFIX [--command PREFIX] [--floor CONF]\n"
    "                       [--means DIR]... [--save-means DIR] [--microphone SOURCE]\n"
    "PREFIX names a compiled grammar: PREFIX.dfa and PREFIX.dict\n"
    "--means: the starting cepstral means and room (given more than once: of each file the\n"
    "first readable one), --save-means: where to write them after each utterance (as\n"
    "listen-triphones.cmn, listen-phones.cmn and listen-room.txt)\n"
    "--microphone: audio from SOURCE instead of standard input's audio frames: \"pulse:NAME\"\n"
    "(the sound server's input NAME) or a file or FIFO of 16 kHz mono S16LE samples\n";
// The microphone is read in blocks of this many bytes: 100 ms.
constexpr size_t kMicrophoneBlock = 3200;
constexpr std::string_view kSoundServer = "pulse:";

struct Options {
    std::string model;
    std::string calc;
    std::string command;
    std::vector<std::string> means;  // folders, the first with a readable file gives it
    std::string saveMeans;
    std::string microphone;
    // Below this a recognition is taken for something else. The filler word rejects most of
    // what is no command; a higher floor mostly threw away short words said right.
    double floor = 0.1;
};

struct Listener {
    Options options;
    Recog* recog = nullptr;
    std::string mode = kCalc;
    std::string input;                      // bytes read, not yet split into frames
    kazu::listen::NoiseSuppressor quieter;  // steady room noise out before the engine
    std::vector<int16_t> pending;           // cleaned samples not yet handed to the engine
    size_t pendingAt = 0;
    bool ended = false;
    int level = -1;          // the input level last told
    int microphone = -1;     // the capture thread's samples, or -1
    std::string heard;       // samples from the microphone not yet taken
    bool hiss = false;       // the sign of the last zero sample replaced
    std::vector<int> peaks;  // the last blocks' cleaned peaks between utterances
    int blockPeak = 0;       // of the block being heard
    size_t blockFill = 0;
    int speaking = -1;      // blocks heard since the utterance began, or -1 between them
    std::string roomSaved;  // the room as last written to --save-means
};

Listener listener;

void Emit(const ListenEvent& event) {
    std::printf("%s\n", FormatListenEvent(event).c_str());
    std::fflush(stdout);
}

void EmitLevel(std::string_view audio) {
    double sum = 0;
    const size_t count = audio.size() / 2;
    for (size_t i = 0; i < count; ++i) {
        const auto low = static_cast<unsigned char>(audio[2 * i]);
        const auto high = static_cast<unsigned char>(audio[2 * i + 1]);
        const auto sample = static_cast<int16_t>(low | (high << 8));
        sum += static_cast<double>(sample) * sample;
    }
    if (count == 0)
        return;
    // Decibels above a faint floor, 0..100, so that talking fills about two thirds of the bar.
    const double rms = std::sqrt(sum / static_cast<double>(count));
    const double decibels = rms < 1 ? 0 : 20 * std::log10(rms) * 100 / 90;
    const int level = std::clamp(static_cast<int>(decibels), 0, 100);
    // Told only when it changes: a quiet room then costs the window nothing.
    if (level != listener.level) {
        listener.level = level;
        Emit({ListenEvent::Kind::Level, 0, level, 0, {}});
    }
}

void SetMode(const std::string& mode) {
    if (mode != kCalc && mode != kCommand && mode != "off")
        return;
    listener.mode = mode;
    // The engine switches at the next utterance; "off" keeps listening and drops the results.
    const bool command = mode == kCommand && !listener.options.command.empty();
    const auto turn = [](const auto& hearers, bool on) {
        for (const Hearer& hearer : hearers)
            for (std::string name : {std::string(hearer.name), Warped(hearer.name)})
                on ? j_process_activate(listener.recog, name.data())
                   : j_process_deactivate(listener.recog, name.data());
    };
    turn(kCalcHearers, !command);
    if (!listener.options.command.empty())
        turn(kCommandHearers, command);
}

// How the capture thread ended: set before it closes its end of the pipe.
std::atomic<ListenEvent::Kind> microphoneEnd{ListenEvent::Kind::MicrophoneFailed};

bool WriteAll(int fd, const char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Runs the sound server's loop until `done`; false when the context or stream failed first.
template <typename Done>
bool Await(pa_mainloop* loop, pa_context* context, pa_stream* stream, Done done) {
    while (!done()) {
        const pa_context_state_t link = pa_context_get_state(context);
        if (!PA_CONTEXT_IS_GOOD(link) ||
            (stream != nullptr && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) ||
            pa_mainloop_iterate(loop, 1, nullptr) < 0)
            return false;
    }
    return true;
}

// Hands on what the stream holds; false when the pipe is gone.
bool Forward(pa_stream* stream, int out) {
    while (pa_stream_readable_size(stream) > 0) {
        const void* data = nullptr;
        size_t size = 0;
        if (pa_stream_peek(stream, &data, &size) < 0)
            return false;
        // A hole in the stream is silence.
        const std::string silence(data == nullptr ? size : 0, '\0');
        const bool written =
            WriteAll(out, data != nullptr ? static_cast<const char*>(data) : silence.data(), size);
        pa_stream_drop(stream);
        if (!written)
            return false;
    }
    return true;
}

// The sound server's input `device`, 16 kHz mono, delivered a block at a time so that this
// thread wakes ten times a second. Its own loop, not the threaded one of the simple API, which
// woke three threads for every block.
ListenEvent::Kind CaptureSoundServer(const std::string& device, int out) {
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "kazuchan");
    auto end = ListenEvent::Kind::NoMicrophone;
    pa_stream* stream = nullptr;
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) >= 0 &&
        Await(loop, context, nullptr,
              [&] { return pa_context_get_state(context) == PA_CONTEXT_READY; })) {
        const pa_sample_spec format{PA_SAMPLE_S16LE, 16000, 1};
        pa_buffer_attr attributes;
        std::memset(&attributes, 0xFF, sizeof attributes);  // the server's defaults...
        attributes.fragsize = kMicrophoneBlock;             // ...but one block per wake-up
        stream = pa_stream_new(context, "listen", &format, nullptr);
        if (stream != nullptr &&
            pa_stream_connect_record(stream, device.c_str(), &attributes,
                                     PA_STREAM_ADJUST_LATENCY) >= 0 &&
            Await(loop, context, stream,
                  [&] { return pa_stream_get_state(stream) == PA_STREAM_READY; })) {
            end = ListenEvent::Kind::MicrophoneFailed;
            Await(loop, context, stream, [&] { return !Forward(stream, out); });
        } else if (pa_context_errno(context) != PA_ERR_NOENTITY) {
            end = ListenEvent::Kind::MicrophoneFailed;
        }
    }
    std::fprintf(stderr, "kazuchan-listen: %s\n", pa_strerror(pa_context_errno(context)));
    if (stream != nullptr)
        pa_stream_unref(stream);
    pa_context_disconnect(context);
    pa_context_unref(context);
    pa_mainloop_free(loop);
    return end;
}

// A file or FIFO standing in for the microphone: its end is the microphone failing.
ListenEvent::Kind CaptureFile(const std::string& path, int out) {
    const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return ListenEvent::Kind::NoMicrophone;
    char block[kMicrophoneBlock];
    ssize_t got = 0;
    while ((got = read(in, block, sizeof block)) > 0 &&
           WriteAll(out, block, static_cast<size_t>(got))) {
    }
    close(in);
    return ListenEvent::Kind::MicrophoneFailed;
}

// The microphone is read on a thread of its own, which hands the samples on through a pipe:
// the engine's loop then waits for them and for the modes on standard input alike.
void StartMicrophone(const std::string& source) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        Emit({ListenEvent::Kind::MicrophoneFailed});
        return;
    }
    listener.microphone = ends[0];
    // Detached: it may be waiting on the sound server when the process ends.
    std::thread([source, out = ends[1]] {
        microphoneEnd = source.starts_with(kSoundServer)
                            ? CaptureSoundServer(source.substr(kSoundServer.size()), out)
                            : CaptureFile(source, out);
        close(out);
    }).detach();
}

// The level at which the engine takes sound for speech follows the room. The fixed level it
// had was met by a voice near full scale; a real microphone's, some 12 to 25 dB lower, often
// never reached it. The room is the median of the blocks' peaks over the last few seconds between
// utterances, heard as the engine hears it (after the noise suppressor); learned within one, it
// rose with the voice and cut the softer words off. Its median, not its quietest block: other
// children's talk has quiet moments too, and a level set from them took their words for speech.
// An "utterance" far longer than any calculation is the room grown louder.
constexpr size_t kRoomBlock = 1600;  // samples: 100 ms, whatever size the frames come in
constexpr size_t kRoomBlocks = 30;
constexpr int kLongestUtterance = 100;  // blocks
constexpr double kAboveRoom = 2.5;
constexpr double kLowestTrigger = 300;  // a quiet room: still above the hiss of the microphone
constexpr double kHighestTrigger = 3000;

void FollowRoom(const std::vector<int16_t>& cleaned) {
    for (const int16_t sample : cleaned) {
        listener.blockPeak = std::max(listener.blockPeak, std::abs(static_cast<int>(sample)));
        if (++listener.blockFill < kRoomBlock)
            continue;
        const int peak = listener.blockPeak;
        listener.blockPeak = 0;
        listener.blockFill = 0;
        if (listener.speaking >= 0 && ++listener.speaking < kLongestUtterance)
            continue;
        auto& peaks = listener.peaks;
        peaks.push_back(peak);
        if (peaks.size() > kRoomBlocks)
            peaks.erase(peaks.begin());
        std::vector<int> sorted = peaks;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        const int trigger = static_cast<int>(
            std::clamp(kAboveRoom * sorted[sorted.size() / 2], kLowestTrigger, kHighestTrigger));
        listener.recog->adin->thres = trigger;
        listener.recog->adin->zc.trigger = trigger;
    }
}

// The samples of one block of audio, from a frame or from the microphone, on to the engine.
void TakeAudio(std::string_view audio) {
    EmitLevel(audio);
    std::vector<int16_t> samples(audio.size() / 2);
    std::memcpy(samples.data(), audio.data(), samples.size() * 2);
    listener.pending.clear();
    listener.quieter.Process(samples, listener.pending);
    listener.pendingAt = 0;
    // A muted, gated or virtual microphone gives exact zeros between words. The engine strips
    // those as invalid instead of hearing silence, so an utterance before them never ended and
    // nothing said after it was heard: they become the faintest hiss.
    for (int16_t& sample : listener.pending)
        if (sample == 0)
            sample = (listener.hiss = !listener.hiss) ? 1 : -1;
    FollowRoom(listener.pending);
}

// Waits for standard input or the microphone; false at the end of standard input.
bool ReadMore() {
    pollfd waits[2] = {{STDIN_FILENO, POLLIN, 0}, {listener.microphone, POLLIN, 0}};
    const nfds_t count = listener.microphone >= 0 ? 2 : 1;
    while (poll(waits, count, -1) < 0)
        if (errno != EINTR)
            return false;
    char chunk[8192];
    if (count == 2 && waits[1].revents != 0) {
        const ssize_t got = read(listener.microphone, chunk, sizeof chunk);
        if (got > 0) {
            listener.heard.append(chunk, static_cast<size_t>(got));
        } else {
            // Without a microphone the engine still follows the modes until told to end.
            close(listener.microphone);
            listener.microphone = -1;
            Emit({microphoneEnd.load()});
        }
    }
    if (waits[0].revents != 0) {
        const ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
        if (got <= 0)
            return false;
        listener.input.append(chunk, static_cast<size_t>(got));
    }
    return true;
}

// Reads until audio is there; false at the end of standard input.
bool FillPending() {
    while (listener.pendingAt >= listener.pending.size()) {
        if (auto frame = kazu::listen::TakeFrame(listener.input)) {
            if (frame->type == FrameType::Mode)
                SetMode(frame->payload);
            else if (frame->type == FrameType::Audio)
                TakeAudio(frame->payload);
            continue;
        }
        if (listener.heard.size() >= kMicrophoneBlock) {
            TakeAudio(std::string_view(listener.heard).substr(0, kMicrophoneBlock));
            listener.heard.erase(0, kMicrophoneBlock);
            continue;
        }
        if (listener.input.size() >= 5 + kazu::listen::kMaxFramePayload || !ReadMore())
            return false;
    }
    return true;
}

boolean Standby(int, void*) {
    return TRUE;
}
boolean Begin(char*) {
    return TRUE;
}
char* InputName() {
    return const_cast<char*>("stdin");
}

int ReadAudio(SP16* buffer, int room) {
    if (listener.ended || !FillPending()) {
        listener.ended = true;
        return -1;
    }
    const size_t count =
        std::min(static_cast<size_t>(room), listener.pending.size() - listener.pendingAt);
    std::memcpy(buffer, listener.pending.data() + listener.pendingAt, count * sizeof(SP16));
    listener.pendingAt += count;
    return static_cast<int>(count);
}

void OnSpeechStart(Recog*, void*) {
    listener.speaking = 0;
    Emit({ListenEvent::Kind::Speech});
}
void OnSpeechStop(Recog*, void*) {
    listener.speaking = -1;
    Emit({ListenEvent::Kind::Silence});
}

// What a model heard, in the better fitting of its two warps; none when neither took part.
std::optional<kazu::listen::Hearing> HeardBy(const Hearer& hearer) {
    const RecogProcess* best = nullptr;
    const std::string warped = Warped(hearer.name);
    for (const RecogProcess* process = listener.recog->process_list; process;
         process = process->next) {
        const std::string_view name = process->config->name;
        if ((name == hearer.name || name == warped) && process->live &&
            process->result.status >= 0 && process->result.sentnum >= 1 &&
            (best == nullptr || process->result.sent[0].score > best->result.sent[0].score))
            best = process;
    }
    if (best == nullptr)
        return std::nullopt;
    kazu::listen::Hearing hearing;
    const Sentence& sentence = best->result.sent[0];
    const WORD_INFO* words = best->lm->winfo;
    double confidence = 1;
    bool filler = false;
    for (int i = 0; i < sentence.word_num; ++i) {
        const std::string name = words->woutput[sentence.word[i]];
        if (name == kazu::listen::kSilenceNames[0] || name == kazu::listen::kSilenceNames[1])
            continue;
        filler = filler || name == kazu::listen::kFillerName;
        confidence = std::min(confidence, static_cast<double>(sentence.confidence[i]));
        hearing.words.push_back(name);
    }
    hearing.confidence = confidence;
    if (filler || confidence < listener.options.floor)
        hearing.words.clear();
    return hearing;
}

// The room's reverberation from the first --means folder that has it, so that a classroom's
// echo is taken out from the first word of the day.
void RestoreRoom() {
    for (const std::string& folder : listener.options.means) {
        std::FILE* file = std::fopen((folder + "/" + kazu::listen::kRoomFile).c_str(), "r");
        if (file == nullptr)
            continue;
        char text[1024];
        const size_t size = std::fread(text, 1, sizeof text, file);
        std::fclose(file);
        if (size < sizeof text && listener.quieter.RestoreRoom({text, size})) {
            listener.roomSaved.assign(text, size);
            return;
        }
    }
}

// Written beside the means after each utterance, whole or not at all.
void SaveRoom() {
    const std::string text = listener.quieter.SavedRoom();
    if (listener.options.saveMeans.empty() || text == listener.roomSaved)
        return;
    const std::string path = listener.options.saveMeans + "/" + kazu::listen::kRoomFile;
    const std::string temporary = path + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    if (file == nullptr)
        return;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) == 0 && written && std::rename(temporary.c_str(), path.c_str()) == 0)
        listener.roomSaved = text;
    else
        std::remove(temporary.c_str());
}

void OnResult(Recog*, void*) {
    if (listener.mode == "off")
        return;
    // The hearers that took part: those of the mode the utterance began in.
    const auto heardBy = [](std::span<const Hearer> hearers) {
        std::vector<kazu::listen::Hearing> hearings;
        for (const Hearer& hearer : hearers)
            if (auto hearing = HeardBy(hearer))
                hearings.push_back(std::move(*hearing));
        return hearings;
    };
    std::vector<kazu::listen::Hearing> hearings = heardBy(kCommandHearers);
    const bool command = !hearings.empty();
    if (!command)
        hearings = heardBy(kCalcHearers);
    const kazu::listen::Hearing heard = kazu::listen::Agreed(hearings);
    if (heard.words.empty()) {
        Emit({ListenEvent::Kind::Rejected, heard.confidence});
    } else if (command) {
        // "N.I": command N said as phrase I.
        const std::string& name = heard.words.front();
        const size_t dot = name.find('.');
        const int phrase = dot == std::string::npos ? 0 : std::atoi(name.c_str() + dot + 1);
        Emit({ListenEvent::Kind::Command, heard.confidence, std::atoi(name.c_str()), phrase, {}});
    } else {
        Emit({ListenEvent::Kind::Calc, heard.confidence, 0, 0,
              kazu::listen::DictationText(heard.words)});
    }
    // After the result, so that the file's writing never delays it.
    SaveRoom();
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--model")
            options.model = value;
        else if (name == "--calc")
            options.calc = value;
        else if (name == "--command")
            options.command = value;
        else if (name == "--floor")
            options.floor = std::atof(value.c_str());
        else if (name == "--means")
            options.means.push_back(value);
        else if (name == "--save-means")
            options.saveMeans = value;
        else if (name == "--microphone")
            options.microphone = value;
        else
            return false;
    }
    return argc % 2 == 1 && !options.model.empty() && !options.calc.empty();
}

// A cepstral mean file as the engine writes it: "<CEPSNORM> <>", "<MEAN> N", N numbers, then
// maybe a variance part. Anything else would keep the engine from starting.
bool ReadableMeans(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr)
        return false;
    char head[16] = {};
    char mean[16] = {};
    int count = 0;
    bool ok = std::fscanf(file, "%15s <> %15s %d", head, mean, &count) == 3 &&
              std::strcmp(head, "<CEPSNORM>") == 0 && std::strcmp(mean, "<MEAN>") == 0 &&
              count > 0 && count <= 100;
    for (int i = 0; ok && i < count; ++i) {
        double value = 0;
        ok = std::fscanf(file, "%lf", &value) == 1 && std::isfinite(value);
    }
    std::fclose(file);
    return ok;
}

// The engine's configuration as its own command line: two acoustic models, one or two grammars.
// The means are looked for in the folders of --means from `firstMeans` on.
std::vector<std::string> EngineArguments(const Options& options, size_t firstMeans) {
    // Segment the stream by level (-lv only until the room is heard: FollowRoom): short tail so
    // that the answer comes soon after speech ends.
    // Decoding goes along with the audio, so that little is left to do by then. The head margin
    // delays the end as well (with 300 ms the answer came some 50 ms later; with 200 ms
    // commands were heard worse).
    std::vector<std::string> args = {"kazuchan-listen",
                                     "-input",
                                     "stdin",
                                     "-realtime",
                                     "-cutsilence",
                                     "-lv",
                                     "1200",
                                     "-zc",
                                     "60",
                                     "-headmargin",
                                     "250",
                                     "-tailmargin",
                                     "180",
                                     "-rejectshort",
                                     "150"};
    // Each model's input starts from a mean of speech; from the first utterance alone the
    // engine would start from nothing and mishear it. The warped models start from the same
    // mean and keep theirs to themselves.
    const auto means = [&](const char* name, bool save) {
        std::vector<std::string> more;
        for (size_t i = firstMeans; i < options.means.size(); ++i) {
            const std::string load = options.means[i] + "/" + name;
            if (ReadableMeans(load)) {
                more.insert(more.end(), {"-cmnload", load});
                break;
            }
        }
        if (save && !options.saveMeans.empty())
            more.insert(more.end(), {"-cmnsave", options.saveMeans + "/" + name});
        return more;
    };
    // Each model and its warped twin.
    const auto model = [&](const std::string& name, const std::vector<std::string>& files,
                           const char* mean) {
        for (const bool warped : {false, true}) {
            args.insert(args.end(), {"-AM", warped ? Warped(name) : name});
            args.insert(args.end(), files.begin(), files.end());
            if (warped)
                args.insert(args.end(), std::begin(kWarp), std::end(kWarp));
            for (auto& arg : means(mean, !warped)) args.push_back(std::move(arg));
        }
    };
    model(
        kTriphones,
        {"-h", options.model + "/" + kTriphoneModel, "-hlist", options.model + "/" + kTriphoneList},
        kTriphoneMean);
    model(kPhones, {"-h", options.model + "/" + kPhoneModel}, kPhoneMean);
    // The engine gives every hearing a grammar of its own. A word insertion penalty for
    // calculations: without it the engine pads short numbers with digits ("よん" as "に よん");
    // a stronger one turns "てん ご" into "せん".
    const auto hear = [&](const auto& hearers, const std::string& prefix,
                          const std::vector<std::string>& search) {
        for (const Hearer& hearer : hearers)
            for (const bool warped : {false, true}) {
                const std::string name = warped ? Warped(hearer.name) : hearer.name;
                const std::string am = warped ? Warped(hearer.model) : hearer.model;
                args.insert(args.end(),
                            {"-LM", name, "-dfa", prefix + ".dfa", "-v", prefix + ".dict", "-SR",
                             name, am, name, "-b", "1500", "-b2", "100"});
                args.insert(args.end(), search.begin(), search.end());
            }
    };
    hear(kCalcHearers, options.calc, {"-penalty1", "-5", "-penalty2", "-10"});
    if (!options.command.empty())
        hear(kCommandHearers, options.command, {});
    return args;
}

// The program that started us may end without closing our input (killed, or the engine busy
// and not reading it): we end with it. A parent gone before the request was made shows as a
// new parent.
bool EndWithParent() {
    const pid_t parent = getppid();
    return prctl(PR_SET_PDEATHSIG, SIGKILL) == 0 && getppid() == parent;
}

}  // namespace

int main(int argc, char** argv) {
    if (!EndWithParent())
        return 1;
    if (!ParseOptions(argc, argv, listener.options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // Standard output carries the protocol; the engine's log goes to standard error.
    jlog_set_output(stderr);
    // Means the engine will not take are passed over for the next folder's, or left out, rather
    // than leaving the child without ears.
    for (size_t firstMeans = 0; firstMeans <= listener.options.means.size(); ++firstMeans) {
        std::vector<std::string> args = EngineArguments(listener.options, firstMeans);
        std::vector<char*> argp;
        for (auto& arg : args) argp.push_back(arg.data());
        Jconf* jconf = j_config_load_args_new(static_cast<int>(argp.size()), argp.data());
        if (jconf == nullptr)
            return 1;
        listener.recog = j_create_instance_from_jconf(jconf);
        if (listener.recog != nullptr ||
            std::find(args.begin(), args.end(), "-cmnload") == args.end())
            break;
        std::fputs("kazuchan-listen: the cepstral means were refused; trying without them\n",
                   stderr);
    }
    if (listener.recog == nullptr)
        return 1;
    RestoreRoom();
    callback_add(listener.recog, CALLBACK_EVENT_SPEECH_START, OnSpeechStart, nullptr);
    callback_add(listener.recog, CALLBACK_EVENT_SPEECH_STOP, OnSpeechStop, nullptr);
    callback_add(listener.recog, CALLBACK_RESULT, OnResult, nullptr);
    if (!j_adin_init(listener.recog))
        return 1;
    // Our frames instead of the engine's own reading of standard input.
    ADIn* adin = listener.recog->adin;
    adin->ad_standby = Standby;
    adin->ad_begin = Begin;
    adin->ad_read = ReadAudio;
    adin->ad_input_name = InputName;
    SetMode(kCalc);
    if (j_open_stream(listener.recog, nullptr) != 0)
        return 1;
    Emit({ListenEvent::Kind::Ready});
    if (!listener.options.microphone.empty())
        StartMicrophone(listener.options.microphone);
    j_recognize_stream(listener.recog);
    Emit({ListenEvent::Kind::End});
    j_recog_free(listener.recog);
    return 0;
}
