// A module with resources of its own, loaded by the resource tests with dlopen.
extern "C" __attribute__((visibility("default"))) int ResModuleAnchor() { return 1; }
