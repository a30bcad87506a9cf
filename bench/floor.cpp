// The cheapest possible plug-in call, in a file of its own so that it cannot be inlined.
extern "C" int EmptyCall(void* info) {
  return info == nullptr;
}
