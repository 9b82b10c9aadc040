// vtlsim.cpp - console command that plugs and unplugs simulated boards while the tools run.
#include "SimConfig.h"
#include "SimCrossProcess.h"
#include "SimStrings.h"

#include <cstdio>
#include <cstring>

using namespace vtlsim;

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: vtlsim list | check | plug <board> | unplug <board>\n"
                         "  the configuration is the file named by VTLSIM_CONFIG\n");
    return 2;
}

int List(const DriverConfig &config)
{
    const std::vector<bool> plugged = ReadPlugged(config);
    for (std::size_t i = 0; i < config.boards.size(); ++i)
        std::printf("%u %s %s 0x%x\n", static_cast<unsigned>(i),
                    plugged[i] ? "plugged" : "unplugged", config.boards[i].type.c_str(),
                    static_cast<unsigned>(config.boards[i].nIoAddress));
    return 0;
}

int Plug(const DriverConfig &config, const char *pszIndex, bool bPlugged)
{
    std::uint32_t index;
    if (!ParseUInt(pszIndex, index))
    {
        std::fprintf(stderr, "vtlsim: bad board number \"%s\"\n", pszIndex);
        return 2;
    }
    std::string err;
    if (!WritePlugged(config, index, bPlugged, err))
    {
        std::fprintf(stderr, "vtlsim: %s\n", err.c_str());
        return 1;
    }
    const int n = SignalWatchers(ScopeOf(config.path));
    std::printf("board %u %s; %d process(es) notified\n", static_cast<unsigned>(index),
                bPlugged ? "plugged" : "unplugged", n);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return Usage();
    const std::string cmd = argv[1];
    DriverConfig config;
    std::string error;
    if (!LoadCurrentConfig(config, error))
    {
        std::fprintf(stderr, "vtlsim: configuration error: %s\n", error.c_str());
        return 1;
    }
    if (cmd == "check" && argc == 2)
    {
        std::printf("ok\n");
        return 0;
    }
    if (cmd == "list" && argc == 2)
        return List(config);
    if ((cmd == "plug" || cmd == "unplug") && argc == 3)
        return Plug(config, argv[2], cmd == "plug");
    return Usage();
}
