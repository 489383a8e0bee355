// trimwell-crop on POSIX: the arguments arrive as UTF-8.

#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "common/TextBuffer.h"

int main(int argc, char** argv) {
    std::vector<TextBuffer> texts(argc > 1 ? size_t(argc - 1) : 0);
    std::vector<const char16_t*> arguments;
    for (int i = 1; i < argc; i++) {
        if (!textAssignUtf8(&texts[size_t(i - 1)], argv[i])) return kCliFailed;
        arguments.push_back(textChars(&texts[size_t(i - 1)]));
    }
    return runCli(int(arguments.size()), arguments.data());
}
