// tavrine-test-hold-file <file> <seconds>: opens the file (creating it) and keeps it open until
// "<file>.release" appears or the time is up, like a program holding a temp file in use.
// The C runtime opens without delete sharing, so DeleteFileA on the file fails meanwhile.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "ab");
    if (file == nullptr) {
        return 1;
    }
    std::fputs("held\n", file);
    std::fflush(file);
    const std::string release = std::string(argv[1]) + ".release";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atol(argv[2]));
    while (std::chrono::steady_clock::now() < deadline && !std::filesystem::exists(release)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::fclose(file);
    return 0;
}
