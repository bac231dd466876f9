// Substitute host. Until the plug-in component exists it can only say so.
#include <cstdio>

int main()
{
    std::puts("TOVAR-VANTREL editor: the host component is not built yet; the editor cannot start.");
    return 0;
}
