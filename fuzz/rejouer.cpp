// Runs a fuzzing harness once over every file of the folders or files given
// (its seed corpus): the replay that ordinary builds and CI run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int rejouer(const std::filesystem::path& fichier) {
    std::ifstream f(fichier, std::ios::binary);
    const std::vector<char> octets((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(octets.data()), octets.size());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    int n = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path chemin(argv[i]);
        if (std::filesystem::is_directory(chemin)) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(chemin))
                if (e.is_regular_file()) n += rejouer(e.path());
        } else {
            n += rejouer(chemin);
        }
    }
    std::printf("%d inputs run\n", n);
    return n > 0 ? 0 : 1;
}
