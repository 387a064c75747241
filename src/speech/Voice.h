// The voice the character speaks with: the operations the program uses and the events it needs.
// Plain C++, so the core and its tests use it without a window.
#pragma once

#include <string>
#include <vector>

namespace kazu {

class VoiceListener {
  public:
    virtual ~VoiceListener() = default;
    virtual void OnAudioLevel(int level) = 0;  // 0..100
    virtual void OnViseme(int viseme) = 0;
    virtual void OnEndStream() = 0;
};

class Voice {
  public:
    // Speak flags.
    static constexpr int kSync = 0;   // after what is queued; returns when spoken
    static constexpr int kAsync = 1;  // queued; returns at once
    static constexpr int kPurge = 2;  // drops everything first; returns when spoken

    virtual ~Voice() = default;
    virtual void Speak(const std::string& text, int flags) = 0;
    // Drops `count` items of `type` ("Sentence") from what is being and will be spoken.
    virtual void Skip(const std::string& type, int count) = 0;
    virtual void SetRate(int rate) = 0;      // 0..10, 0 is the voice's normal speed
    virtual void SetVolume(int volume) = 0;  // 0..100
    // Descriptions of the installed Japanese voices, the current one first.
    virtual std::vector<std::string> Voices() = 0;
    virtual void SetListener(VoiceListener* listener) = 0;
};

}  // namespace kazu
