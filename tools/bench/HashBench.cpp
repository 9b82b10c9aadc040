// HashBench.cpp - how fast the station hashes an image: a 64 MiB file through Sha256OfFile.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "StationImage.h"

namespace
{
const DWORD kChunk = 1024 * 1024;
const int kChunks = 64;

double Now()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

bool WriteImage(const wchar_t *pszPath)
{
    const HANDLE hFile = CreateFileW(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    std::vector<unsigned char> chunk(kChunk);
    bool bOk = true;
    for (int n = 0; n < kChunks && bOk; ++n)
    {
        // Bytes that differ from chunk to chunk, as a real bitstream's do.
        for (DWORD i = 0; i < kChunk; ++i)
            chunk[i] = static_cast<unsigned char>(i * 7 + n * 13 + (i >> 11));
        DWORD dwWritten = 0;
        bOk = WriteFile(hFile, chunk.data(), kChunk, &dwWritten, nullptr) && dwWritten == kChunk;
    }
    return CloseHandle(hFile) && bOk;
}
} // namespace

int main()
{
    wchar_t szDir[MAX_PATH], szPath[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, szDir) || !GetTempFileNameW(szDir, L"vtl", 0, szPath))
        return 1;
    if (!WriteImage(szPath))
    {
        DeleteFileW(szPath);
        printf("hash: cannot write the 64 MiB file\n");
        return 1;
    }
    const HANDLE hFile = CreateFileW(szPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    std::vector<double> rates;
    std::string strHex, strError;
    std::uint64_t nSize = 0;
    // The first round is not counted: it also brings the file into the cache.
    for (int round = 0; round < 6 && hFile != INVALID_HANDLE_VALUE; ++round)
    {
        const double t0 = Now();
        if (!Sha256OfFile(hFile, strHex, nSize, strError))
            break;
        const double seconds = Now() - t0;
        if (round > 0)
            rates.push_back(static_cast<double>(nSize) / 1e6 / seconds);
    }
    if (hFile != INVALID_HANDLE_VALUE)
        CloseHandle(hFile);
    DeleteFileW(szPath);
    if (rates.size() != 5)
    {
        printf("hash: failed: %s\n", strError.c_str());
        return 1;
    }
    std::sort(rates.begin(), rates.end());
    printf("hash 64 MiB image: %.0f MB/s median (%.0f-%.0f, n=5), sha256 %s\n", rates[2], rates[0],
           rates[4], strHex.c_str());
    return 0;
}
