// A library that is not a provider: it lacks the entry symbol.
extern "C" __attribute__((visibility("default"))) int something_else() { return 7; }
