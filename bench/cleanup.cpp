// bench/cleanup: our tree deletion against "del /s /q" on the same kind of tree.
//
// Two identical trees of 20 000 small files in 2 000 folders (200 folders of 9 sub-folders,
// 10 files in each) are generated side by side under one root before anything is timed. Ours
// empties one with delete_files_in_tree through the real machine; the command interpreter's
// "del /s /q" empties the other, run hidden like every command of the program (its start-up is
// part of what a user waits for too). Both leave the folders. Then both trees are counted: a
// file left behind would make a fast time meaningless. Rounds alternate which goes first.
//
// Usage: tavrine-bench-cleanup.exe <empty work folder> [rounds]; prints the times and the ratio
// ours / del (target: 1.0 or less). bench/cleanup.sh runs it in the Wine sandbox.

#include "platform/machine.h"
#include "tweaks/temp_files.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kTopFolders = 200;
constexpr int kSubFolders = 9;
constexpr int kFilesPerFolder = 10;
constexpr int kFolders = kTopFolders * (1 + kSubFolders);
constexpr int kFiles = kFolders * kFilesPerFolder;

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "x" + std::to_string(n) + "y".
std::string numbered(const char* prefix, int number, const char* suffix = "") {
    std::string name = prefix;
    name += std::to_string(number);
    name += suffix;
    return name;
}

void fill_folder(const fs::path& folder) {
    fs::create_directories(folder);
    for (int i = 0; i < kFilesPerFolder; ++i) {
        std::ofstream(folder / numbered("f", i, ".tmp"), std::ios::binary) << "temporary data\n";
    }
}

void generate_tree(const fs::path& root) {
    for (int top = 0; top < kTopFolders; ++top) {
        const fs::path folder = root / numbered("t", top);
        fill_folder(folder);
        for (int sub = 0; sub < kSubFolders; ++sub) {
            fill_folder(folder / numbered("s", sub));
        }
    }
}

struct TreeCount {
    int files = 0;
    int folders = 0;
};

TreeCount count_tree(const fs::path& root) {
    TreeCount count;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error)) {
            ++count.folders;
        } else {
            ++count.files;
        }
    }
    return count;
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double time_ours(const fs::path& tree) {
    const Clock::time_point start = Clock::now();
    tavrine::delete_files_in_tree(tree.string());
    return seconds_since(start);
}

double time_del(const fs::path& tree) {
    const std::string command = "del /s /q \"" + tree.string() + "\\*\" >nul 2>&1";
    const Clock::time_point start = Clock::now();
    const tavrine::CommandOutcome outcome =
        tavrine::current_machine().commands().run_hidden(command, 30 * 60 * 1000);
    const double elapsed = seconds_since(start);
    if (!outcome.started || outcome.exit_code == tavrine::kStillActive) {
        std::fprintf(stderr, "bench: del did not run to its end\n");
        std::exit(1);
    }
    return elapsed;
}

bool emptied(const fs::path& tree, const char* who) {
    const TreeCount left = count_tree(tree);
    if (left.files != 0 || left.folders != kFolders) {
        std::fprintf(stderr, "bench: %s left %d files and %d of %d folders\n", who, left.files, left.folders,
                     kFolders);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <empty work folder> [rounds]\n", argv[0]);
        return 2;
    }
    const fs::path root = fs::absolute(argv[1]);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
    std::error_code error;
    if (fs::exists(root, error) && !fs::is_empty(root, error)) {
        std::fprintf(stderr, "bench: %s is not empty; refusing to use it\n", root.string().c_str());
        return 2;
    }

    double ours_total = 0;
    double del_total = 0;
    std::printf("== %d files in %d folders per tree, %d rounds\n", kFiles, kFolders, rounds);
    for (int round = 0; round < rounds; ++round) {
        const fs::path ours_tree = root / numbered("ours", round);
        const fs::path del_tree = root / numbered("del", round);
        generate_tree(ours_tree);
        generate_tree(del_tree);
        if (count_tree(ours_tree).files != kFiles || count_tree(del_tree).files != kFiles) {
            std::fprintf(stderr, "bench: the trees could not be generated\n");
            return 1;
        }
        double ours = 0;
        double del = 0;
        if (round % 2 == 0) {
            ours = time_ours(ours_tree);
            del = time_del(del_tree);
        } else {
            del = time_del(del_tree);
            ours = time_ours(ours_tree);
        }
        if (!emptied(ours_tree, "our tree deletion") || !emptied(del_tree, "del /s /q")) {
            return 1;
        }
        std::printf("round %d: ours %.2f s, del /s /q %.2f s, ratio %.2f\n", round + 1, ours, del,
                    ours / del);
        ours_total += ours;
        del_total += del;
        fs::remove_all(ours_tree, error);
        fs::remove_all(del_tree, error);
    }
    std::printf("ours / del: %.2f (target: 1.0 or less; ours %.2f s, del %.2f s in all)\n",
                ours_total / del_total, ours_total, del_total);
    return 0;
}
