// The layouts of the packet payload and transmit requests.
#include "tx_request.h"

void rqm_encode_payload_piece(RqmReqBuilder& Req, PacketId Id, const uint8_t* pPiece, uint16_t Count,
                              uint16_t Offset) {
    Req.start(HI_PACKET_PAYLOAD_REQ_ID, PAYLOAD_DATA_OFF + uint32_t{Count});
    Req.put32(PAYLOAD_ID_OFF, Id);
    Req.put16(PAYLOAD_LEN_OFF, Count);
    Req.put16(PAYLOAD_OFFSET_OFF, Offset);
    Req.put_bytes(PAYLOAD_DATA_OFF, pPiece, Count);
}

void rqm_encode_transmit(RqmReqBuilder& Req, TxCommand Command, uint16_t PrbsLength, uint32_t Seed) {
    Req.start(HI_TRANSMIT_REQ_ID, TRANSMIT_MSG_LEN);
    Req.put32(TRANSMIT_CMD_OFF, Command);
    Req.put32(TRANSMIT_PRBS_LEN_OFF, PrbsLength);
    Req.put32(TRANSMIT_SEED_OFF, Seed);
}
