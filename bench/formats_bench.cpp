// Conversion speed on an 8 MiB random firmware, one block at 08000000. Throughput is
// counted in firmware (binary) bytes per second in both directions.
#include "DFUFile.h"

#include <benchmark/benchmark.h>
#include <random>

namespace {

constexpr int kFirmware = 8 * 1024 * 1024;

QByteArray Container() {
    std::mt19937 rng(1);
    QByteArray c(10, '\0');
    const uint32_t addr = 0x08000000, len = kFirmware;
    c.append(reinterpret_cast<const char*>(&addr), 4);
    c.append(reinterpret_cast<const char*>(&len), 4);
    QByteArray data(kFirmware, '\0');
    for (char& ch : data)
        ch = char(rng());
    c += data;
    c += QByteArray::fromHex("FFFF00000000100155464410");
    const uint32_t crc = DfuCrc(reinterpret_cast<const uint8_t*>(c.constData()), size_t(c.size()));
    c.append(reinterpret_cast<const char*>(&crc), 4);
    return c;
}

void ContainerToImage(benchmark::State& state) {
    const QByteArray c = Container();
    tDFUFile dfu;
    for (auto _ : state) {
        TMemoryStream in(c), out;
        dfu.DFUBin2IntelHex(0, in, out);
        benchmark::DoNotOptimize(out.Bytes().constData());
    }
    state.SetBytesProcessed(state.iterations() * kFirmware);
}
BENCHMARK(ContainerToImage)->Unit(benchmark::kMillisecond);

void IntelHexToContainer(benchmark::State& state) {
    tDFUFile dfu;
    TMemoryStream in(Container()), img;
    dfu.DFUBin2IntelHex(0, in, img);
    const QByteArray text = img.Bytes().mid(4);
    for (auto _ : state) {
        TMemoryStream hex(text), out;
        if (!dfu.IntelHex2DFUBin(0, out, hex).Ok)
            state.SkipWithError("conversion failed");
        benchmark::DoNotOptimize(out.Bytes().constData());
    }
    state.SetBytesProcessed(state.iterations() * kFirmware);
    state.counters["hex_text_MB/s"] = benchmark::Counter(
        double(text.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(IntelHexToContainer)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
