// Builds the PG's transmissions of the four AS511 requests.
#include "support/pg_requests.h"

#include <algorithm>

namespace pg {

namespace {

constexpr uint8_t kDle = 0x10;

std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> list)
{
    return std::vector<uint8_t>(list);
}

std::vector<uint8_t> Join(std::vector<uint8_t> head, const std::vector<uint8_t>& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// The opening every request shares: STX, function, DLE ACK, then DLE ACK
// with the parameter telegram.
std::vector<Step> Opening(uint8_t function, std::span<const uint8_t> params)
{
    return {
        {Bytes({0x02}), Bytes({0x10, 0x06})},
        {Bytes({function}), Bytes({0x02})},
        {Bytes({0x10, 0x06}), Bytes({0x16, 0x10, 0x03})},
        {Join(Bytes({0x10, 0x06}), ParameterTelegram(params)), Bytes({0x10, 0x06, 0x02})},
    };
}

} // namespace

std::vector<uint8_t> Exchange::PgBytes() const
{
    std::vector<uint8_t> all;
    for (const Step& step : steps)
        all.insert(all.end(), step.send.begin(), step.send.end());
    return all;
}

std::vector<uint8_t> Exchange::SlaveBytes(size_t count) const
{
    std::vector<uint8_t> all;
    const size_t last = std::min(count, steps.size());
    for (size_t i = 0; i < last; ++i)
        all.insert(all.end(), steps[i].reply.begin(), steps[i].reply.end());
    return all;
}

std::vector<uint8_t> Stuff(std::span<const uint8_t> bytes)
{
    std::vector<uint8_t> out;
    out.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        out.push_back(b);
        if (b == kDle)
            out.push_back(b);
    }
    return out;
}

std::vector<uint8_t> ParameterTelegram(std::span<const uint8_t> params)
{
    return Join(Stuff(params), Bytes({0x10, 0x04}));
}

std::vector<uint8_t> DataTelegram(std::span<const uint8_t> payload)
{
    return Join(Stuff(payload), Bytes({0x10, 0x03}));
}

Exchange ReadRequest(uint8_t function, std::span<const uint8_t> params,
                     std::span<const uint8_t> payload)
{
    Exchange exchange{Opening(function, params)};
    exchange.steps.push_back({Bytes({0x10, 0x06}), DataTelegram(payload)});
    exchange.steps.push_back({Bytes({0x10, 0x06}), Bytes({0x02})});
    exchange.steps.push_back({Bytes({0x10, 0x06}), Bytes({0x12, 0x10, 0x03})});
    exchange.steps.push_back({Bytes({0x10, 0x06}), {}});
    return exchange;
}

Exchange WriteRequest(std::span<const uint8_t> params)
{
    Exchange exchange{Opening(0x03, params)};
    exchange.steps.push_back({Bytes({0x10, 0x06}), Bytes({0x12, 0x10, 0x03})});
    exchange.steps.push_back({Bytes({0x10, 0x06}), {}});
    return exchange;
}

Exchange ReadMemory(uint16_t start, uint16_t end, std::span<const uint8_t> data)
{
    const uint8_t params[] = {static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start),
                              static_cast<uint8_t>(end >> 8), static_cast<uint8_t>(end)};
    std::vector<uint8_t> payload(5, 0x00);
    payload.insert(payload.end(), data.begin(), data.end());
    return ReadRequest(0x04, params, payload);
}

Exchange WriteMemory(uint16_t start, std::span<const uint8_t> data)
{
    std::vector<uint8_t> params = {static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start)};
    params.insert(params.end(), data.begin(), data.end());
    return WriteRequest(params);
}

Exchange SystemParameters(std::span<const uint8_t> payload)
{
    return ReadRequest(0x18, {}, payload);
}

Exchange BlockInfo(uint8_t blockType, uint8_t db, std::span<const uint8_t> payload)
{
    const uint8_t params[] = {blockType, db};
    return ReadRequest(0x1A, params, payload);
}

} // namespace pg
