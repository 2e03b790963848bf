// Cost of classifying one received message on the receive thread, and of
// framing one datagram for sending: both run once per HI message.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "common/hi_msg.h"
#include "transport/TargetCli.h"
#include "transport/vormac_adapter.h"

static void on_message(void*, uint8_t* msg) {
    benchmark::DoNotOptimize(msg[0]);
}

static void BM_ClassifyConfirmation(benchmark::State& state) {
    TargetCliContext* p = TargetCli_Create(nullptr);
    p->pfnRxCb = on_message;
    p->SendWindow = 4;
    std::vector<uint8_t> msg(static_cast<size_t>(state.range(0)), 0);
    hi_set_msg_len(msg.data(), static_cast<uint16_t>(msg.size()));
    uint32_t seq = 0;
    for (auto _ : state) {
        hi_set_msg_id(msg.data(), static_cast<uint16_t>(0x7F8 | ((seq++ & 7) << HI_MSG_SEQ_SHIFT)));
        memcpy(p->RxBuffer.data(), msg.data(), msg.size());
        benchmark::DoNotOptimize(TargetCli_HandleRx(p, static_cast<uint32_t>(msg.size())));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    TargetCli_Exit(p);
}
BENCHMARK(BM_ClassifyConfirmation)->Arg(8)->Arg(148)->Arg(1520);

static void BM_FrameDatagram(benchmark::State& state) {
    const int len = static_cast<int>(state.range(0));
    std::vector<uint8_t> msg(static_cast<size_t>(len), 0x5A);
    std::vector<uint8_t> dg(static_cast<size_t>(adapter_datagram_size(len)));
    for (auto _ : state) {
        adapter_fill_datagram(dg.data(), static_cast<int>(dg.size()), msg.data(), len, 1234);
        benchmark::DoNotOptimize(dg.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * len);
}
BENCHMARK(BM_FrameDatagram)->Arg(8)->Arg(1520);

BENCHMARK_MAIN();
