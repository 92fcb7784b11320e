// The step each result code names, for the operator.
#include "core/transaction_result.h"

const char* ResultStepText(int32_t code)
{
    using namespace result;
    switch (code) {
    case kDone: return "exchange completed";
    case kNoStx: return "no STX from the PG before the time-out";
    case kStxNotFirst: return "the bytes that ended with STX did not begin with it (other bytes came first)";
    case kSendAckToStx: return "sending DLE ACK in answer to STX";
    case kNoFunction: return "no function byte before the time-out";
    case kSendStx: return "sending STX after the function byte";
    case kAckToStxNone: return "the PG's DLE ACK to that STX: none";
    case kAckToStxWrong: return "the PG's DLE ACK to that STX: wrong";
    case kSendSynDleEtx: return "sending SYN DLE ETX";
    case kAckToSynNone: return "the PG's DLE ACK to SYN DLE ETX: none";
    case kAckToSynWrong: return "the PG's DLE ACK to SYN DLE ETX: wrong";
    case kNoParameters: return "no parameter telegram ending in DLE EOT before the time-out";
    case kReadParametersShort: return "read memory with fewer than 4 parameter bytes";
    case kWriteParametersShort: return "write memory with fewer than 3 parameter bytes";
    case kBlockInfoParametersShort: return "read block information with fewer than 2 parameter bytes";
    case kBlockTypeNotDb: return "read block information for a block type other than 1";
    case kUnknownFunction: return "a function byte other than 0x03, 0x04, 0x18, 0x1A";
    case kWriteSendAckStx: return "write memory: sending DLE ACK STX";
    case kSendAckStx: return "the other requests: sending DLE ACK STX";
    case kAckToAckStxNone: return "the PG's DLE ACK to DLE ACK STX (not for write memory): none";
    case kAckToAckStxWrong: return "the PG's DLE ACK to DLE ACK STX (not for write memory): wrong";
    case kSendData: return "sending the data telegram";
    case kAckToDataNone: return "the PG's DLE ACK to the data telegram: none";
    case kAckToDataWrong: return "the PG's DLE ACK to the data telegram: wrong";
    case kSendStxAfterData: return "sending STX after the data telegram";
    case kAckBeforeCloseNone: return "the PG's DLE ACK to DLE ACK STX (write memory) or to the STX after the data telegram (other requests): none";
    case kAckBeforeCloseWrong: return "the PG's DLE ACK to DLE ACK STX (write memory) or to the STX after the data telegram (other requests): wrong";
    case kSendDc2DleEtx: return "sending DC2 DLE ETX";
    case kLastAckNone: return "the PG's last DLE ACK: none";
    case kLastAckWrong: return "the PG's last DLE ACK: wrong";
    case kPortClosed: return "the port is closed";
    case kLineLost: return "the line hung up";
    default: return "unknown result";
    }
}
