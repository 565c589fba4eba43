#include "bridge/walk.h"

#include "bridge/bridge_state.h"
#include "network/QDN_network.h"

bool SendNetwork(const QDN_network&) {
  // Nothing can be loaded from a file yet, so there is nothing to send.
  return true;
}
