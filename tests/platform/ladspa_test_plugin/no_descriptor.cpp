// A library without the plug-in entry point.
extern "C" __attribute__((visibility("default"))) int rz_not_a_plugin()
{
    return 1;
}
