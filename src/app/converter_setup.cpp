#include "app/converter_setup.h"

namespace xq {

ConverterSetup::ConverterSetup(const VirtualDriveOptions& options)
    : machine_(makeHostDriveTable()),
      drives_(*machine_, options),
      files_(drives_.table(), hostTemporaryFolder()) {}

Wizard& ConverterSetup::makeWizard(Dialogs& dialogs) {
    wizard_.emplace(model_, drives_.table(), files_, dialogs);
    // The virtual floppy drive holds whichever diskette the wizard asks for.
    wizard_->onDisketteRequested([this](int n) { drives_.disketteRequested(n); });
    return *wizard_;
}

std::optional<std::string> ConverterSetup::lock() {
    const LockResult locked = lockWorkingDirectories(lock_, files_);
    switch (locked.outcome) {
        case LockOutcome::Acquired:
            return std::nullopt;
        case LockOutcome::HeldByAnotherCopy:
            return singleInstanceRefusal();
        case LockOutcome::Blocked:
        case LockOutcome::Failed:
            return locked.message;
    }
    return locked.message;
}

}  // namespace xq
