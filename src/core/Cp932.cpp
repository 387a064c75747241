#include "core/Cp932.h"

#include <iconv.h>

#include <cerrno>

namespace kazu {

namespace {

// One conversion descriptor per direction and thread: iconv_open is far dearer than a
// conversion of a few characters, and byte counts are asked for on every redraw.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts from `*in` on, appending to `out`, until the input ends or a sequence cannot
    // be converted; `*in` then points at that sequence. Returns 0 or the errno of the stop
    // (EBADF when the descriptor could not be opened, so that every character fails).
    int Convert(const char** in, const char* end, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[256];
        while (true) {
            char* inPtr = const_cast<char*>(*in);
            size_t inLeft = static_cast<size_t>(end - *in);
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            const int error = result == static_cast<size_t>(-1) ? errno : 0;
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            *in = inPtr;
            if (error != E2BIG) {
                return error;
            }
        }
    }

  private:
    iconv_t cd_;
};

Converter& ToCp932() {
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

Converter& FromCp932() {
    thread_local Converter converter("UTF-8", "CP932");
    return converter;
}

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// The length of the UTF-8 sequence at `p`, or 1 when it is malformed, so that a bad byte is
// skipped on its own.
size_t Utf8SequenceLength(const char* p, const char* end) {
    const auto lead = static_cast<unsigned char>(*p);
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (static_cast<size_t>(end - p) < length) {
        return 1;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

}  // namespace

std::string Utf8ToCp932(const std::string& utf8) {
    if (IsAscii(utf8)) {
        return utf8;
    }
    Converter& converter = ToCp932();
    std::string out;
    const char* in = utf8.data();
    const char* end = in + utf8.size();
    while (in < end) {
        if (converter.Convert(&in, end, out) == 0) {
            break;
        }
        out += '?';
        in += Utf8SequenceLength(in, end);
    }
    return out;
}

std::optional<std::string> Cp932ToUtf8(const std::string& cp932) {
    if (IsAscii(cp932)) {
        return cp932;
    }
    Converter& converter = FromCp932();
    std::string out;
    const char* in = cp932.data();
    if (converter.Convert(&in, in + cp932.size(), out) != 0) {
        return std::nullopt;
    }
    return out;
}

int Cp932Length(const std::string& utf8) {
    return static_cast<int>(Utf8ToCp932(utf8).size());
}

}  // namespace kazu
