// A shared library without the add-on factory: discovery must skip it.
extern "C" __attribute__((visibility("default"))) int not_an_addon_marker()
{
    return 7;
}
