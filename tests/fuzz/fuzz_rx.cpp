// The receive path as the driver feeds it: one request of the API waits in
// the broker while arbitrary datagrams arrive at the receive thread's
// buffer. Each goes through the classifier (TargetCli_HandleRx) into the
// broker (Adapter_Receive); what the broker hands back is read by the
// request's own decoder. Every message and answer sits in a buffer of
// exactly the bytes that arrived, so a look past them is an ASan report;
// an answer taken although it does not repeat its request's fields, or
// longer than the request's room, is a trap.
//
// Input: a byte choosing the request, a byte of its parameter, a byte of
// flags, then datagrams, each a 16-bit little-endian length and its bytes.
// fuzz-sources: transport/*.cpp !transport/netlink_peer_kernel.cpp !transport/netlink_peer_unix.cpp
// fuzz-sources: !transport/transport_variant_hf.cpp
// fuzz-sources: common/*.cpp api/*_request.cpp
#include <semaphore.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "api/device_request.h"
#include "api/sdd_request.h"
#include "api/tool_state_request.h"
#include "transport/TargetCli.h"
#include "transport/adapter.h"
#include "transport/target_temp.h"

namespace {

void require(bool ok) {
    if (!ok)
        __builtin_trap();
}

struct Feed {
    const uint8_t* p;
    size_t left;
};

Feed g_feed;

// A message passed on as not awaited: every byte it claims is read.
void indication(void*, uint8_t* msg) {
    volatile uint8_t sink = 0;
    for (uint32_t i = 0; i < hi_msg_len(msg); ++i)
        sink = sink ^ msg[i];
}

// The receive thread's step, datagram after datagram, each appended where
// the held bytes end as a receive into the rest of the buffer would.
void deliver(TargetCliContext* p) {
    uint32_t held = 0;
    while (g_feed.left >= 2) {
        size_t n = g_feed.p[0] | g_feed.p[1] << 8;
        g_feed.p += 2;
        g_feed.left -= 2;
        if (n > g_feed.left)
            n = g_feed.left;
        if (n > TARGET_CLI_RX_BUFFER_SIZE - held)
            n = TARGET_CLI_RX_BUFFER_SIZE - held;
        // The datagram alone in a buffer of its size first: the classifier
        // must read only what arrived.
        std::vector<uint8_t> dgram(g_feed.p, g_feed.p + n);
        g_feed.p += n;
        g_feed.left -= n;
        if (n == 0)
            continue;
        memcpy(p->RxBuffer.data() + held, dgram.data(), n);
        held = TargetCli_HandleRx(p, held + static_cast<uint32_t>(n));
        require(held <= TARGET_CLI_RX_BUFFER_SIZE);
    }
}

int send_and_feed(TargetCliContext* p, uint8_t*, uint8_t resend, uint32_t) {
    if (resend == 0)
        deliver(p);
    return TARGET_SEND_SENT;
}

// An answer handed back repeats the request's fields where it carries them.
void check_echo(const RqmReqBuilder& req, const uint8_t* cnf, uint32_t room) {
    const uint32_t got = hi_msg_len(cnf) < room ? hi_msg_len(cnf) : room;
    require(hi_msg_len(cnf) <= room);
    if ((hi_msg_id(cnf) & HI_MSG_ID_MASK) == HI_BOOT_IND_ID)
        return;
    for (uint32_t i = 0; i < req.echo_len(); ++i) {
        const uint32_t at = req.echo_off() + i;
        require(at >= got || cnf[at] == req.msg()[at]);
    }
}

enum Request {
    GET_MAC,
    SET_MAC,
    WRITE_REG,
    HW_TEST,
    READ_REG,
    API_CONTEXT,
    CLI_FETCH,
    SDD_PATH,
    SDD_ELEMENT,
    CTRL_BLOCKS,
    WORDS,
    CONNECT,
    REQUEST_KINDS
};

void run(RqmApiContext* ctx, Request kind, uint8_t param) {
    RqmRequest<64> req;
    uint32_t room = WORD_CNF_MAX_SIZE;
    const uint8_t mac[6] = {param, 1, 2, 3, 4, 5};
    switch (kind) {
    case GET_MAC:
        rqm_encode_mac(req, HI_GET_MAC_REQ_ID, param % 3, nullptr);
        room = MAC_CNF_SIZE;
        break;
    case SET_MAC:
        rqm_encode_mac(req, HI_SET_MAC_REQ_ID, param % 3, mac);
        room = MAC_CNF_SIZE;
        break;
    case WRITE_REG:
        rqm_encode_write_reg_type(req, param % 4, 0x1000u + param, param * 0x01010101u);
        room = REG_TYPE_WRITE_CNF_SIZE;
        break;
    case HW_TEST:
        rqm_encode_hw_test(req, 1 + param % 4, param, 1, param % 4 == 2 ? 2 : 0);
        room = HW_TEST_CNF_SIZE;
        break;
    case READ_REG:
        rqm_encode_read_reg_type(req, 1, 0, param * 8u);
        room = REG_TYPE_READ_CNF_SIZE;
        break;
    case API_CONTEXT:
        req.start(HI_GET_API_CONTEXT_REQ_ID, API_CONTEXT_REQ_LEN);
        room = API_CONTEXT_CNF_SIZE;
        break;
    case CLI_FETCH:
        rqm_encode_cli_param_fetch(req);
        room = CLI_PARAM_FETCH_CNF_SIZE;
        break;
    case SDD_PATH:
        req.start(HI_GET_SDD_PATH_REQ_ID, SDD_PATH_REQ_LEN);
        room = SDD_PATH_CNF_SIZE;
        break;
    case SDD_ELEMENT:
        rqm_encode_sdd_element(req, param);
        room = SDD_ELEMENT_CNF_SIZE;
        break;
    case CTRL_BLOCKS:
        rqm_encode_words(req, HI_SELF_TEST_READ_CB_REQ_ID, nullptr, 0);
        room = CTRL_BLOCK_MSG_LEN;
        break;
    case WORDS: {
        const uint32_t words[2] = {param, 7};
        rqm_encode_words(req, static_cast<uint16_t>(param % 3 == 0 ? 57 : 94), words, 1 + param % 2);
        room = 12 + 4 * (param % 4);
        break;
    }
    case CONNECT:
        rqm_encode_connect(req, HI_CONNECT_REQ_ID, true);
        Adapter_Request_Connect(ctx, req.msg(), nullptr, 0);
        return;
    case REQUEST_KINDS:
        return;
    }
    require(req.ok());
    // Exactly the room the request offers, on the heap.
    std::vector<uint8_t> cnf(room, 0);
    const int result = Adapter_RequestEcho(ctx, req.msg(), cnf.data(), room, req.echo_off(), req.echo_len());
    if (result != RQM_SUCCESS)
        return;
    check_echo(req, cnf.data(), room);
    const RqmCnfReader answer(cnf.data(), room);
    switch (kind) {
    case GET_MAC: {
        uint8_t out[6];
        rqm_decode_get_mac(answer, out);
        break;
    }
    case READ_REG: {
        std::vector<uint8_t> out(param * 8u);
        rqm_decode_read_reg_type(answer, param * 8u, out.data());
        break;
    }
    case API_CONTEXT:
        rqm_decode_api_context(answer, ctx);
        break;
    case CLI_FETCH: {
        CliDriverData data;
        rqm_decode_cli_record(answer, &data);
        break;
    }
    case SDD_PATH: {
        char path[SDD_PATH_MAX + 1];
        uint32_t len = 0;
        rqm_decode_sdd_path(answer, path, &len);
        require(len <= SDD_PATH_MAX && (len == 0 || strlen(path) <= len));
        break;
    }
    case SDD_ELEMENT: {
        uint8_t version = 0;
        rqm_decode_sdd_version(answer, &version);
        break;
    }
    case CTRL_BLOCKS: {
        uint8_t b1[12], b2[20], b3[20], b4[12], b5[12];
        uint8_t* const blocks[CTRL_BLOCK_COUNT] = {b1, b2, b3, b4, b5};
        rqm_decode_ctrl_blocks(answer, blocks);
        break;
    }
    default:
        answer.status();
        answer.get32(answer.got() > 4 ? answer.got() - 4 : 0);
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The refusal and overflow lines are the classifier's; not the fuzzer's.
    if (freopen("/dev/null", "w", stdout) == nullptr)
        return 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    auto* ctx = new RqmApiContext{};
    sem_init(&ctx->CnfSemaphore, 0, 0);
    ctx->bCnfSemaphoreMade = true;
    ctx->pfnRxIndMsgsCb = indication;
    ctx->FwRunning = 1;
    ctx->Attempts = 1 + (data[2] & 1);
    ctx->CnfTimeoutMs = 0;  // only what has arrived counts
    ctx->Target = Target_Create();
    ctx->Target->pfnSendToAdapter = send_and_feed;
    ctx->Target->pTargetCli = TargetCli_Create(ctx->Target);
    ctx->Target->pTargetCli->pfnRxCb = Adapter_Receive;
    ctx->Target->pTargetCli->pRxCbUser = ctx;

    g_feed = {data + 3, size - 3};
    run(ctx, static_cast<Request>(data[0] % REQUEST_KINDS), data[1]);

    Adapter_Exit(ctx);
    delete ctx;
    return 0;
}
