// Well-known account names on Windows.
#include "platform/Accounts.h"

#include "platform/win32/WinSupport.h"

namespace plat {
namespace {

// Owns a SID made by AllocateAndInitializeSid.
class TSid {
 public:
  ~TSid() {
    if (Sid_) FreeSid(Sid_);
  }
  PSID* Out() { return &Sid_; }
  PSID Get() const { return Sid_; }

 private:
  PSID Sid_ = nullptr;
};

}  // namespace

bool LookupWorldGroupNameAnsi(std::string& name) {
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;  // 0,0,0,0,0,1
  TSid sid;
  if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, sid.Out())) return false;
  char account[1024] = {};
  char domain[1024] = {};
  // One count for both buffers, well inside their size.
  DWORD accountSize = 900;
  DWORD domainSize = 900;
  SID_NAME_USE use;
  if (!LookupAccountSidA(nullptr, sid.Get(), account, &accountSize, domain, &domainSize, &use)) return false;
  name = account;
  return true;
}

}  // namespace plat
