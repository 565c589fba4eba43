#include "core/QDN_object.h"

QDN_object::~QDN_object() { SetFlag(kReady); }

void QDN_object::SetOrdered(int) { SetFlag(kOrdered); }
void QDN_object::ClearOrdered(int) { ClearFlag(kOrdered); }
void QDN_object::SetOwner(int) { SetFlag(kOwner); }
void QDN_object::ClearOwner(int) { ClearFlag(kOwner); }
void QDN_object::Release(int) { SetFlag(kReady); }
void QDN_object::CheckReadiness(int) { SetFlag(kReady); }
void QDN_object::CheckConsistency(int) { SetFlag(kConsistent); }
