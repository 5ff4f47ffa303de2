#pragma once
// The loader's wire vocabulary and the small text rules both sides share.

#include <QByteArray>
#include <QString>

#include <chrono>

namespace wire {

// Tool to loader.
inline constexpr char kWakeUp = 0x1F;  // keying byte, sent until the loader answers
inline constexpr std::chrono::milliseconds kKeyingInterval{300};
inline const QByteArray kKData = "KDATA";
inline const QByteArray kAckReply = "ack";
inline const QByteArray kRequestDownload = "REQUEST_DOWNLOAD\r";
inline const QByteArray kRequestBlock = "REQUEST_1024DOWN:";
inline const QByteArray kBlockSuccess = "1024DOWN_SUCCESS:";
inline const QByteArray kRequestTotal = "REQUEST_TOTALCRC\r";
inline const QByteArray kDownSuccess = "DOWN_SUCCESS\r";

// Loader to tool. Case matters: "ACK" and "ack" are different answers.
inline const QByteArray kBanner = "MICOM";
inline const QByteArray kVersionMark = " Version ";
inline const QByteArray kFlashEnd = "BL_FLASH_END\r\n";
inline const QByteArray kUpperAck = "ACK\r\n";
inline const QByteArray kLineEnd = "\r\n";
inline const QByteArray kStartBlockRequest = "REQUEST_START_BLOCK\r\n";
inline const QByteArray kStartBlockRequestAlt = "REQDATA_START_BLOCK\r\n";
inline const QByteArray kBlockCountRequest = "REQUEST_BLOCK\r\n";
inline const QByteArray kBlockCountRequestAlt = "REQDATA_BLOCK\r\n";
inline const QByteArray kLowerAck = "ack\r\n";

inline constexpr int kBlockDataSize = 1024;
inline constexpr int kFrameSize = 1032;  // data, checksum byte, 7 bytes never examined
inline constexpr int kFrameChecksumOffset = 1024;

// Block numbers travel with at least four digits, zero-filled: 5 -> "0005", 12345 -> "12345".
QByteArray fourDigits(int number);

// 8-bit additive sum; the loader calls it "CRC" but no polynomial is involved.
quint8 byteSum(const char *data, qsizetype size);

// Bytes from the line are 8-bit characters; the log shows them one character per byte.
inline QString toLogText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

}  // namespace wire
