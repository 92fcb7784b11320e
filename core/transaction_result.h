// Result codes of one AS511 exchange: 0 when it was completed, otherwise
// the code of the step that failed. "None" means the awaited bytes did not
// come (time-out, line closed, worker told to stop); "wrong" means the
// bytes that ended with DLE ACK did not begin with it.
#pragma once

#include <cstdint>

namespace result {
inline constexpr int32_t kDone = 0;
inline constexpr int32_t kNoStx = 11;
inline constexpr int32_t kStxNotFirst = 1;
inline constexpr int32_t kSendAckToStx = 2;
inline constexpr int32_t kNoFunction = 3;
inline constexpr int32_t kSendStx = 4;
inline constexpr int32_t kAckToStxNone = 51;
inline constexpr int32_t kAckToStxWrong = 5;
inline constexpr int32_t kSendSynDleEtx = 6;
inline constexpr int32_t kAckToSynNone = 62;
inline constexpr int32_t kAckToSynWrong = 61;
inline constexpr int32_t kNoParameters = 74;
inline constexpr int32_t kReadParametersShort = 75;
inline constexpr int32_t kWriteParametersShort = 76;
inline constexpr int32_t kBlockInfoParametersShort = 71;
inline constexpr int32_t kBlockTypeNotDb = 7;
inline constexpr int32_t kUnknownFunction = 72;
inline constexpr int32_t kWriteSendAckStx = 1001;
inline constexpr int32_t kSendAckStx = 8;
inline constexpr int32_t kAckToAckStxNone = 91;
inline constexpr int32_t kAckToAckStxWrong = 9;
inline constexpr int32_t kSendData = 10;
inline constexpr int32_t kAckToDataNone = 102;
inline constexpr int32_t kAckToDataWrong = 101;
inline constexpr int32_t kSendStxAfterData = 12;
inline constexpr int32_t kAckBeforeCloseNone = 131;
inline constexpr int32_t kAckBeforeCloseWrong = 13;
inline constexpr int32_t kSendDc2DleEtx = 14;
inline constexpr int32_t kLastAckNone = 151;
inline constexpr int32_t kLastAckWrong = 15;
// Used by the runner, never by the exchange: the port is closed.
inline constexpr int32_t kPortClosed = -2;
// Used by the runner: the line hung up and the port was closed.
inline constexpr int32_t kLineLost = -3;
} // namespace result

// The step a result code names, in plain words ("sending the data
// telegram", "the PG's last DLE ACK: none"); "unknown result" for others.
const char* ResultStepText(int32_t code);
