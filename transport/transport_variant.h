// What differs in the transport between the two programs, in one record.
//
// The transport library rqm_transport carries rqmcli's profile
// (transport_variant_rqmcli.cpp); rqm_transport_hf is the same core with
// rqmcli-hf's (transport_variant_hf.cpp). Each program links one of the
// two; the layers above name only the record.
#pragma once

#include <cstdint>

struct RqmApiContext;

struct RqmTransportVariant {
    // Adapter_Request prints "... MsgReceivedSize == 0" when no answer came.
    bool bNoAnswerLine;
    // The receive thread's overflow warning: two lines ending with the
    // MsgId, or one line without it.
    bool bOverflowWarningWithId;
    // The highest driver refusal code (BOOT Res) with a line of its own;
    // above it, the unknown-error line.
    uint32_t LastRefusalLine;
    // Runs after the connect handshake has taken the firmware's facts.
    void (*pfnConnectFacts)(RqmApiContext* pRqmApiContext);
};

extern const RqmTransportVariant g_transport_variant;
