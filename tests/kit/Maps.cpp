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

MapTable FewOutputsMap()
{
    MapTable map = EmptyMap(2, 3);
    map[0] = 0;
    map[1] = 5;
    map[3] = 55;
    map[4] = 56;
    map[5] = -1;
    map[6] = 300;
    map[511] = 7;
    return map;
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
