#include "kit/Maps.h"

#include "link/Protocol.h"

MapTable MapOf(int16_t (*entry)(int i), int16_t devAdd, int16_t devRange)
{
    MapTable map{};
    for (int i = 0; i < modCVDMXMap::kChannels; ++i)
        map[size_t(i)] = entry(i);
    map[modCVDMXMap::kDevAddEntry] = devAdd;
    map[modCVDMXMap::kDevRangeEntry] = devRange;
    return map;
}

MapTable EmptyMap(int16_t devAdd, int16_t devRange)
{
    return MapOf([](int) { return modCVDMXMap::kNoOutput; }, devAdd, devRange);
}

MapTable ResetMap()
{
    return EmptyMap();
}

MapTable DiskMap()
{
    return MapOf([](int i) { return int16_t(i == 0 ? 5 : 255); }, 2, 6);
}

QByteArray Frame(const MapTable &map, int block)
{
    return dmxlink::BlockFrame(map, block).toLatin1();
}

QList<QByteArray> Frames(const MapTable &map, int blocks)
{
    QList<QByteArray> frames;
    for (int b = 0; b < blocks; ++b)
        frames << Frame(map, b);
    return frames;
}
