#include "game/MainPlayer.h"

#include "game/GameTables.h"

#include <array>

namespace goalvanta {

void TMainPlayer::Reset() {
    FMoney = 0;
    FMaxPoint = StartPoints;
    FPoint = GetMaxPoint();
    FSponsor = 0;
    FWeight = 0;
    FOwnedWeights = 1; // weight "None"
    FShoes = 0;
    FOwnedSettings = 0;
    FActiveSettings = 0;
    FWins = 0;
    FMaxWins = 0;
}

std::int32_t TMainPlayer::WeightFactor() const {
    return GameTables().WeightFactors.Items(FWeight);
}

std::int32_t TMainPlayer::GetMaxPoint() const {
    return FMaxPoint / WeightFactor();
}

void TMainPlayer::SetMaxPoint(std::int32_t value) {
    const std::int32_t product = Wrap32(std::int64_t{value} * WeightFactor());
    FMaxPoint = product > MaxPointCap ? MaxPointCap : product;
}

std::int32_t TMainPlayer::GetPoint() const {
    return FPoint / WeightFactor();
}

void TMainPlayer::SetPoint(std::int32_t value) {
    FPoint = Wrap32(std::int64_t{value} * WeightFactor());
}

std::int32_t TMainPlayer::GetShoesBonus() const {
    return GameTables().ShoesBonuses.Items(FShoes);
}

std::int32_t TMainPlayer::WriteToStream(TMemoryStream& stream) const {
    stream.WriteInt32(FMaxPoint);
    stream.WriteInt32(FPoint);
    stream.WriteInt32(FMoney);
    stream.WriteUInt8(FOwnedSettings);
    stream.WriteUInt8(FActiveSettings);
    stream.WriteUInt8(FShoes);
    stream.WriteUInt8(FSponsor);
    stream.WriteUInt8(FWeight);
    stream.WriteUInt16(FOwnedWeights);
    stream.WriteInt32(FWins);
    stream.WriteInt32(FMaxWins);
    return RecordSize;
}

void TMainPlayer::ReadFromStream(TMemoryStream& stream) {
    std::array<std::uint8_t, RecordSize> r{};
    stream.ReadBytes(r);
    FMaxPoint = LoadInt32(&r[0]);
    FPoint = LoadInt32(&r[4]);
    FMoney = LoadInt32(&r[8]);
    FOwnedSettings = r[12];
    FActiveSettings = r[13];
    FShoes = r[14];
    FSponsor = r[15];
    FWeight = r[16];
    FOwnedWeights = LoadUInt16(&r[17]);
    FWins = LoadInt32(&r[19]);
    FMaxWins = LoadInt32(&r[23]);
}

} // namespace goalvanta
