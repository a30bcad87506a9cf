#include "shell/lifecycle.h"

#include "calc/calculator.h"
#include "host/orvane.h"
#include "identity/identity.h"
#include "platform/text.h"

namespace {

// Room for the descriptor and for fields a host may read after `build`; those stay zero.
union DescriptorStorage {
  PluginInfo info;
  unsigned char reserved[80];
};
static_assert(sizeof(DescriptorStorage) == 80, "storage set aside for the descriptor");

DescriptorStorage descriptor;

// Hosts from version 24 up to 98 report Enter by key name.
bool NamesKeys(uint32_t version) {
  return version - 24u <= 74u;
}

}  // namespace

PluginInfo* GetPluginInfo(void) {
  PluginInfo& info = descriptor.info;
  info.name = W(SUMBRA_NAME_TEXT);
  info.author = W(SUMBRA_AUTHOR_TEXT);
  info.email = W(SUMBRA_EMAIL_TEXT);
  info.webPage = W(SUMBRA_WEB_PAGE_TEXT);
  info.description = W("Do math at the command line.");
  info.functions = W("*key");
  info.major = SUMBRA_VERSION_MAJOR;
  info.minor = SUMBRA_VERSION_MINOR;
  info.build = SUMBRA_VERSION_BUILD;
  return &info;
}

int InitializePlugin(void) {
  WideChar text[kStartupCapacity] = W("%_4ver");
  ExpandVariables(text, 1);
  text[kStartupCapacity - 1] = 0;
  WideChar* end = nullptr;
  bool outOfRange = false;
  hostReportsKeyNames = NamesKeys(WideToU32(text, &end, 10, &outOfRange)) ? 1 : 0;

  const WideChar quiet[] = W("%[_transient]%[_pipe]%[noloadmsg]");
  WideTraits::copy(text, quiet, sizeof quiet / sizeof quiet[0]);
  ExpandVariables(text, 1);
  if (text[0] == '0' && text[1] == '0' && text[2] == 0) {
    Printf(W("%s v%u.%u.%u loaded.\r\n"), W(SUMBRA_NAME_TEXT), unsigned{SUMBRA_VERSION_MAJOR},
           unsigned{SUMBRA_VERSION_MINOR}, unsigned{SUMBRA_VERSION_BUILD});
  }
  return 0;
}

int ShutdownPlugin(void) {
  return 0;
}
