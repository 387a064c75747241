// The talking character as the owner sees it: the face and the reading level bar.
#pragma once

namespace kazu {

class CharacterView {
  public:
    virtual ~CharacterView() = default;
    // The whole face, then the mouth of a viseme (0, 2, 4, 6, 7, 10); others: the plain face.
    virtual void VisemeDsp(int viseme) = 0;
    // Eyes closed for the time, on the calling thread, then open again.
    virtual void MabatakiDsp(int milliseconds) = 0;
    // The voice's output level, 0 to 100.
    virtual void ReadingLevel(int level) = 0;
};

}  // namespace kazu
