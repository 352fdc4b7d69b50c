// The child of the kill test: opens the file given as a paged document, changes bytes in
// several pages, grows it, and commits. Exit 0: committed; 3: the commit failed.
#include "document/document.h"

#include <cstdio>

int main(int argc, char **argv)
{
    using namespace byteloom;
    if (argc != 2)
        return 2;
    Document document(4096, RealFileSystem());
    if (document.Load(argv[1], true).status != LoadStatus::Loaded || !document.IsPaged())
        return 2;
    for (const std::int64_t page : {1, 5, 9, 15})
        (void)document.WriteByte(page * 4096 + 7, 0xA5);
    if (!document.Expand(10000, 0xEE).ok())
        return 2;
    const Status saved = document.Save();
    if (!saved.ok()) {
        std::fprintf(stderr, "%s\n", saved.message().c_str());
        return 3;
    }
    return 0;
}
