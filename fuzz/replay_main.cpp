// A plain main for the fuzz targets: runs the target once over every file
// named on the command line, and over every file in every folder named, so
// that the saved inputs are replayed on every build, with any compiler and
// without a fuzzing engine.
//
//   parser_fuzzer_replay [--expect-accepted] PATH...
//
// With --expect-accepted every input must also decode to a message: the seed
// corpus holds well-formed datagrams only, and one that the decoder refuses
// means the decoder went wrong, not the seed.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "message/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool replay(const fs::path& path, bool expectAccepted) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
        return false;
    }
    const std::vector<char> content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A heap block of exactly the input's size, as libFuzzer hands it over,
    // so that AddressSanitizer sees a read of one byte beyond it.
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[content.size()]);
    if (!content.empty()) std::memcpy(exact.get(), content.data(), content.size());
    LLVMFuzzerTestOneInput(exact.get(), content.size());
    if (expectAccepted &&
        quillow::MessageParser(exact.get(), static_cast<std::int32_t>(content.size())).release() == nullptr) {
        std::fprintf(stderr, "%s: refused, but it is a well-formed datagram\n", path.string().c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bool expectAccepted = false;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--expect-accepted") == 0) {
            expectAccepted = true;
            continue;
        }
        const fs::path path(argv[i]);
        std::error_code error;
        if (fs::is_directory(path, error)) {
            for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
                if (entry.is_regular_file()) inputs.push_back(entry.path());
            }
        } else {
            inputs.push_back(path);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::fprintf(stderr, "usage: %s [--expect-accepted] FILE-OR-FOLDER...\n(no inputs found)\n", argv[0]);
        return 2;
    }
    int failed = 0;
    for (const fs::path& input : inputs) {
        if (!replay(input, expectAccepted)) ++failed;
    }
    std::printf("replayed %lu inputs, %d failed\n", static_cast<unsigned long>(inputs.size()), failed);
    return failed == 0 ? 0 : 1;
}
