// Arbitrary bytes as what the modem sends: cut into reads, appended to a parse buffer and
// framed the way a transaction does it. Every call must consume only from the front, make a
// record whose payload fits its type, and the loop must always end.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "device/Q310Comm.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// The payload sizes the parser may give each reply type.
void CheckRecord(const Q310Response& r)
{
    const uint16_t n = r.payloadLength;
    switch (r.type)
    {
    case ResponseType::Ready:
    case ResponseType::Ok:
    case ResponseType::Error:
    case ResponseType::BadFrame:
    case ResponseType::BadActiveAddress:
    case ResponseType::BadInactiveAddress:
    case ResponseType::FrameTooLong:
    case ResponseType::Empty:
        Check(n == 0);
        break;
    case ResponseType::Active:
    case ResponseType::Inactive:
        Check(n == 0 || n == 8);
        break;
    case ResponseType::Version:
        Check(n <= 246);
        break;
    case ResponseType::Info:
        Check(n == sizeof(InfoData));
        break;
    case ResponseType::NetInfo:
        Check(n == sizeof(NetInfo));
        break;
    case ResponseType::GpioConfig:
        Check(n == sizeof(GpioEntry) && r.payload[0] <= 12 && r.payload[1] <= 2 && r.payload[2] <= 2);
        break;
    case ResponseType::GpioPeriodic:
        Check(n == sizeof(PeriodicReport));
        break;
    case ResponseType::PanId:
    case ResponseType::PhyId:
        Check(n == 2);
        break;
    case ResponseType::RfChannel:
    case ResponseType::Rssi:
        Check(n == 1);
        break;
    case ResponseType::QuietMode:
        Check(n == 1 && r.payload[0] <= 1);
        break;
    default:
        Check(false);  // not a type the parser makes
    }
}

// Takes frames off the buffer until a call makes no progress (a frame still incomplete).
void Drain(Q310Comm& comm, std::vector<uint8_t>& buffer, std::size_t minimum)
{
    while (buffer.size() >= minimum)
    {
        const std::vector<uint8_t> before = buffer;
        const Q310ResponsePtr record = comm.ExtractResponse(buffer);
        Check(record != nullptr);
        CheckRecord(*record);
        Check(buffer.size() <= before.size());
        Check(std::equal(buffer.begin(), buffer.end(), before.end() - static_cast<std::ptrdiff_t>(buffer.size())));
        if (buffer.size() == before.size())
        {
            Check(record->type == ResponseType::BadFrame || record->type == ResponseType::Empty);
            return;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static Q310Comm* comm = new Q310Comm;  // stateless for these calls; made once
    if (size == 0)
        return 0;

    // The first byte picks the read sizes: 1 to 64 bytes, growing by its high bits.
    const std::size_t first = 1 + (data[0] & 0x3F);
    const std::size_t step = data[0] >> 6;
    std::vector<uint8_t> buffer;
    std::size_t chunk = first;
    for (std::size_t pos = 1; pos < size; pos += chunk, chunk = chunk + step)
    {
        const std::size_t n = std::min(chunk, size - pos);
        buffer.insert(buffer.end(), data + pos, data + pos + n);
        Drain(*comm, buffer, 4);  // a transaction frames only from 4 buffered bytes on
    }
    Drain(*comm, buffer, 1);
    if (buffer.empty())
        Check(comm->ExtractResponse(buffer)->type == ResponseType::Empty);

    // The whole input as one frame, and the address helper on a scratch copy.
    CheckRecord(*comm->ParseResponse(std::vector<uint8_t>(data, data + size)));
    if (size >= 16)
    {
        char text[16];
        std::memcpy(text, data, 16);
        uint8_t address[8];
        Q310Comm::HexToExtAddress(text, address);
    }
    return 0;
}
