// Any pattern file: reading never fails, every field is text the window can draw, and an
// example of every type can be built from what was read.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Bunex/Patterns.h"
#include "core/Bunex/Reibun.h"
#include "core/Cp932.h"
#include "core/RecordingCanvas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const kazu::PatternTable table = kazu::ParsePatterns(bytes);
    for (const kazu::ExamplePattern& p : table) {
        for (const std::string* field : {&p.bun1, &p.bun2, &p.bun3, &p.kang, &p.ansr, &p.amri}) {
            if (!kazu::Cp932ToUtf8(kazu::Utf8ToCp932(*field))) {
                std::abort();
            }
        }
    }
    kazu::MetricsCanvas canvas;
    for (int op = 0; op < 4; ++op) {
        for (int kind = 0; kind < 8; ++kind) {
            const kazu::ReibunInput input{"17.5/5=", "3R2.5", (kind & 1) != 0, (kind & 2) != 0,
                                          kind & 4};
            kazu::DrawReibun(canvas, kazu::BuildReibun(table, input, op));
        }
    }
    return 0;
}
