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

namespace
{
// A resource type or name: an integer id, or a text kept here.
struct ResourceId
{
    explicit ResourceId(LPCSTR p) : nId(IS_INTRESOURCE(p) ? reinterpret_cast<ULONG_PTR>(p) : 0)
    {
        if (nId == 0)
            text = p;
    }
    LPCSTR Get() const { return nId ? MAKEINTRESOURCEA(nId) : text.c_str(); }
    ULONG_PTR nId;
    std::string text;
};

struct Resource
{
    ResourceId type;
    ResourceId name;
    WORD wLanguage;
    std::vector<char> data;
};

BOOL CALLBACK AddLanguage(HMODULE hModule, LPCSTR pszType, LPCSTR pszName, WORD wLanguage,
                          LONG_PTR p)
{
    HRSRC hRes = FindResourceExA(hModule, pszType, pszName, wLanguage);
    const char *pData = static_cast<const char *>(LockResource(LoadResource(hModule, hRes)));
    if (pData != NULL)
        reinterpret_cast<std::vector<Resource> *>(p)->push_back(
            {ResourceId(pszType), ResourceId(pszName), wLanguage,
             std::vector<char>(pData, pData + SizeofResource(hModule, hRes))});
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE hModule, LPCSTR pszType, LPSTR pszName, LONG_PTR p)
{
    return EnumResourceLanguagesA(hModule, pszType, pszName, AddLanguage, p);
}

BOOL CALLBACK AddType(HMODULE hModule, LPSTR pszType, LONG_PTR p)
{
    return EnumResourceNamesA(hModule, pszType, AddName, p);
}
} // namespace

// Wine's UpdateResource does not delete one resource; the copy gets all the others instead.
bool CopyWithoutDialog(const std::string &exePath, const std::string &copyPath, UINT nTemplate)
{
    if (!CopyFileA(exePath.c_str(), copyPath.c_str(), FALSE))
        return false;
    HMODULE hExe = LoadLibraryExA(exePath.c_str(), NULL,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (hExe == NULL)
        return false;
    std::vector<Resource> resources;
    EnumResourceTypesA(hExe, AddType, reinterpret_cast<LONG_PTR>(&resources));
    HANDLE hUpdate = BeginUpdateResourceA(copyPath.c_str(), TRUE);
    bool bDone = hUpdate != NULL;
    bool bDropped = false;
    for (const Resource &r : resources)
    {
        if (r.type.Get() == RT_DIALOG && r.name.Get() == MAKEINTRESOURCEA(nTemplate))
        {
            bDropped = true;
            continue;
        }
        bDone = bDone && UpdateResourceA(hUpdate, r.type.Get(), r.name.Get(), r.wLanguage,
                                         const_cast<char *>(r.data.data()),
                                         static_cast<DWORD>(r.data.size()));
    }
    if (hUpdate != NULL)
        bDone = EndUpdateResourceA(hUpdate, !bDone) && bDone;
    FreeLibrary(hExe);
    return bDone && bDropped;
}

} // namespace vtltest
