// replay.cpp: runs a fuzz target without libFuzzer, so that it guards every test
// run: first every input of the seed corpus, then a fixed number of mutations of
// them drawn from a fixed seed.
// Usage: REPLAY CORPUS_DIR [MUTATIONS]   (default 200000)
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace {

using Bytes = std::vector<std::uint8_t>;

// One of libFuzzer's simpler moves: change, insert or erase a byte, or splice in
// a stretch of another input.
Bytes mutate(Bytes input, const Bytes &other, std::mt19937 &random)
{
    const auto pick = [&](std::size_t bound) { return std::size_t(random() % std::max<std::size_t>(bound, 1)); };
    const int moves = 1 + int(random() % 4);
    for (int move = 0; move < moves; ++move) {
        switch (random() % 4) {
        case 0:
            if (!input.empty())
                input[pick(input.size())] = std::uint8_t(random());
            break;
        case 1:
            input.insert(input.begin() + long(pick(input.size() + 1)), std::uint8_t(random()));
            break;
        case 2:
            if (!input.empty())
                input.erase(input.begin() + long(pick(input.size())));
            break;
        default: {
            const std::size_t from = pick(other.size());
            const std::size_t length = std::min(other.size() - std::min(from, other.size()), 1 + pick(64));
            input.insert(input.begin() + long(pick(input.size() + 1)), other.begin() + long(from),
                         other.begin() + long(from + length));
        }
        }
    }
    if (input.size() > 4096)
        input.resize(4096);   // the fuzzing runs' -max_len
    return input;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR [MUTATIONS]\n", argv[0]);
        return 2;
    }
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    const long mutations = argc > 2 ? std::atol(argv[2]) : 200000;
    std::vector<std::filesystem::path> paths;
    for (const auto &entry : std::filesystem::directory_iterator(argv[1]))
        paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    std::vector<Bytes> corpus;
    for (const auto &path : paths) {
        std::ifstream file(path, std::ios::binary);
        corpus.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (corpus.empty()) {
        std::fprintf(stderr, "%s: no inputs in %s\n", argv[0], argv[1]);
        return 1;
    }
    for (const Bytes &input : corpus)
        LLVMFuzzerTestOneInput(input.data(), input.size());

    std::mt19937 random(20261208);
    for (long i = 0; i < mutations; ++i) {
        const Bytes input = mutate(corpus[random() % corpus.size()], corpus[random() % corpus.size()], random);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%s: %zu corpus inputs and %ld mutations passed\n", argv[0], corpus.size(), mutations);
    return 0;
}
