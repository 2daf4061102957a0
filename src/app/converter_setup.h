#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/wizard.h"
#include "command_line/virtual_drives.h"
#include "platform/drive_table.h"
#include "platform/host_file_service.h"
#include "platform/instance_lock.h"
#include "ui/dialogs.h"
#include "ui/window_model.h"

namespace xq {

// What every front end sets up around its window: the machine's drives with the virtual ones of
// its command line, the file service over them, the window model and the wizard. The front end
// adds its window and message boxes, and takes the lock of the temporary folder before the wizard
// starts up.
class ConverterSetup {
  public:
    explicit ConverterSetup(const VirtualDriveOptions& options);
    ConverterSetup(const ConverterSetup&) = delete;
    ConverterSetup& operator=(const ConverterSetup&) = delete;

    // One conversion at a time in a temporary folder: takes its lock before any working directory
    // is touched. Nullopt when it is held now; else the refusal to show the operator.
    [[nodiscard]] std::optional<std::string> lock();
    // Lets the lock go now, for a program about to end without unwinding.
    void releaseLock() { lock_.release(); }

    // The wizard, once, with the front end's message boxes (which may need the model first).
    Wizard& makeWizard(Dialogs& dialogs);
    WindowModel& model() { return model_; }
    const VirtualDrives& drives() const { return drives_; }
    FileService& files() { return files_; }

  private:
    std::unique_ptr<DriveTable> machine_;
    VirtualDrives drives_;
    HostFileService files_;
    InstanceLock lock_;
    WindowModel model_;
    std::optional<Wizard> wizard_;
};

}  // namespace xq
