// Files.cpp - where the test and the programs live, scratch folders and whole-file I/O.
#include "TestSupport.h"

#include <cstdio>

namespace vtltest
{

std::string ExeDir()
{
    char sz[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(NULL, sz, MAX_PATH);
    std::string s(sz, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

std::string BinDir()
{
    char sz[MAX_PATH] = "";
    std::string rel = ExeDir() + "..\\bin\\";
    GetFullPathNameA(rel.c_str(), MAX_PATH, sz, NULL);
    return sz;
}

namespace
{
void RemoveTree(const std::string &dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = dir + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full + "\\");
            else
            {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}
} // namespace

CTempDir::CTempDir()
{
    static LONG s_nSerial = 0;
    char base[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, base);
    char sz[MAX_PATH + 64];
    snprintf(sz, sizeof sz, "%svtl%lu_%ld\\", base, GetCurrentProcessId(),
             InterlockedIncrement(&s_nSerial));
    RemoveTree(sz); // left over by an earlier process with the same id
    if (CreateDirectoryA(sz, NULL))
        m_strPath = sz;
}

CTempDir::~CTempDir()
{
    if (!m_strPath.empty())
        RemoveTree(m_strPath);
}

bool WriteFileText(const std::string &path, const std::string &text)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

bool ReadFileText(const std::string &path, std::string &text)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    bool ok = !ferror(f);
    fclose(f);
    if (ok)
        text = s;
    return ok;
}

bool ReadOwnFileVersion(VS_FIXEDFILEINFO &info)
{
    char path[MAX_PATH];
    if (GetModuleFileNameA(NULL, path, MAX_PATH) == 0)
        return false;
    DWORD dwHandle = 0;
    std::vector<BYTE> ver(GetFileVersionInfoSizeA(path, &dwHandle));
    if (ver.empty() || !GetFileVersionInfoA(path, 0, static_cast<DWORD>(ver.size()), ver.data()))
        return false;
    VS_FIXEDFILEINFO *pInfo = nullptr;
    UINT nLen = 0;
    if (!VerQueryValueA(ver.data(), "\\", reinterpret_cast<void **>(&pInfo), &nLen) ||
        nLen < sizeof(VS_FIXEDFILEINFO))
        return false;
    info = *pInfo;
    return true;
}

} // namespace vtltest
