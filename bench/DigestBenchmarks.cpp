// Throughput of the two content digests on the chunk size the file reader uses.

#include "model/digest/CspService.h"
#include "model/digest/Digest.h"
#include "model/digest/MurmurHash3.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int readSize = 262144;

std::vector<std::uint8_t> randomChunk(std::size_t size)
{
    std::mt19937 random(42);
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    return bytes;
}

// The incremental hash folded over one 256 KiB chunk after another; an odd offset now and then
// keeps the carried-bytes loops in the measurement.
void murmurProcessChunks(benchmark::State& state)
{
    const auto offset = static_cast<std::size_t>(state.range(0));
    const std::vector<std::uint8_t> chunk = randomChunk(readSize + 4);
    std::uint32_t h1 = 0;
    std::uint32_t carry = 0;
    for (auto _ : state) {
        pairsift::murmur3_32_process(&h1, &carry, chunk.data() + offset, readSize - static_cast<int>(offset));
        benchmark::DoNotOptimize(h1);
    }
    benchmark::DoNotOptimize(pairsift::murmur3_32_result(h1, carry, 0));
    state.SetBytesProcessed(state.iterations() * (readSize - static_cast<std::int64_t>(offset)));
}
BENCHMARK(murmurProcessChunks)->Arg(0)->Arg(1)->Arg(3);

void murmurOneShot(benchmark::State& state)
{
    const auto size = static_cast<int>(state.range(0));
    const std::vector<std::uint8_t> bytes = randomChunk(static_cast<std::size_t>(size));
    for (auto _ : state)
        benchmark::DoNotOptimize(pairsift::murmur3_32(0, bytes.data(), size));
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(murmurOneShot)->Arg(64)->Arg(4096)->Arg(readSize);

// One SHA-1 digest fed 256 KiB chunks, finalised when the run ends.
void sha1DigestChunks(benchmark::State& state)
{
    pairsift::CspHandle handle = 0;
    if (pairsift::cspAttach(&handle) != 0) {
        state.SkipWithError("the crypto service does not attach");
        return;
    }
    const std::vector<std::uint8_t> chunk = randomChunk(readSize);
    {
        pairsift::Digest digest(handle);
        for (auto _ : state)
            digest.update(chunk.data(), readSize, false);
        digest.update(nullptr, 0, true);
        benchmark::DoNotOptimize(digest.hash());
    }
    pairsift::cspDetach(handle);
    state.SetBytesProcessed(state.iterations() * readSize);
}
BENCHMARK(sha1DigestChunks);

// What a small file costs: attach, create, one final step, detach.
void sha1SmallFile(benchmark::State& state)
{
    const std::vector<std::uint8_t> content = randomChunk(4096);
    for (auto _ : state) {
        pairsift::CspHandle handle = 0;
        pairsift::cspAttach(&handle);
        pairsift::Digest digest(handle);
        digest.update(content.data(), content.size(), true);
        benchmark::DoNotOptimize(digest.hash());
        pairsift::cspDetach(handle);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(content.size()));
}
BENCHMARK(sha1SmallFile);

} // namespace

BENCHMARK_MAIN();
