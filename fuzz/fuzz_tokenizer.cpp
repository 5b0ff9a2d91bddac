// The whole token stream of any bytes, to symEof, in each of the reader's modes.
#include "reader/HtmlReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t mode = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    tavlin::THtmlReader reader;
    tavlin::TIDNameList ids;
    reader.IDNames = &ids;
    reader.CharSet = (mode & 8) ? 0 : 1;
    if (mode & 16) {
        reader.OnInclude = [](std::string_view command, std::vector<std::string> params) {
            return std::string(command) + "<b>" + (params.empty() ? "" : params[0]) + "<!-- x -->";
        };
    }
    reader.UseSource(bytes);
    reader.PreMode = mode & 1;
    reader.NoBreakMode = mode & 2;
    reader.PlainTextMode = mode & 32;
    try {
        reader.Advance();
        // Every step must make progress; a stream longer than the input means a loop.
        for (size_t steps = 0; steps <= 8 * size + 64; ++steps) {
            switch (mode & 0xC4) {
            case 0x04:
                reader.ReadScriptToken();
                break;
            case 0x40:
                reader.ReadTextAreaToken();
                break;
            default:
                reader.NextToken();
            }
            if (reader.CurSym == tavlin::symEof) {
                return 0;
            }
        }
        __builtin_trap();
    } catch (const tavlin::EParseError&) {
    }
    return 0;
}
