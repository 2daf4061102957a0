#include "app/wizard.h"

namespace xq {

void Wizard::readFirstDiskette() {}
void Wizard::readNextDiskette() {}
void Wizard::writeFlash() {}
void Wizard::anotherCopy() {}

}  // namespace xq
