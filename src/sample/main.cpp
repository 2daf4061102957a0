// Writes the bundled sample diskette set (or, with --largest, the largest set the format allows)
// into a folder: FOLDER/diskette1, FOLDER/diskette2, ...

#include <iostream>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/folder_drive_table.h"
#include "platform/host_file_service.h"
#include "platform/host_folders.h"
#include "sample/sample_set.h"

int main(int argc, char* argv[]) {
    const std::string usage = "Usage: xq3100-sample-set FOLDER [--largest]\n";
    const std::vector<std::string> arguments = xq::commandLineArguments(argc, argv);
    if (arguments.empty() || arguments.size() > 2 ||
        (arguments.size() == 2 && arguments[1] != "--largest")) {
        std::cerr << usage;
        return 2;
    }
    const std::optional<std::string> folder = xq::canonicalFolder(arguments[0]);
    if (!folder || !xq::isWritableFolder(*folder)) {
        std::cerr << "xq3100-sample-set: " << arguments[0] << " is not a writable folder\n";
        return 2;
    }
    // The folder is seen as drive S: so the set is written through the converter's own file
    // service, byte for byte as the converter reads it.
    xq::FolderDriveTable drives;
    xq::Drive target;
    target.letter = 'S';
    target.type = xq::drive_type::Fixed;
    target.ready = true;
    target.hostRoot = *folder;
    drives.add(target);
    xq::HostFileService files(drives, "S:");

    const xq::SampleSetLayout layout =
        arguments.size() == 2 ? xq::largestSampleSet() : xq::bundledSampleSet();
    std::string failed;
    const int diskettes = xq::writeSampleSet(files, "S:", layout, failed);
    if (diskettes == 0) {
        std::cerr << "xq3100-sample-set: cannot write " << failed << '\n';
        return 1;
    }
    std::cout << diskettes << " diskettes in " << *folder << '\n';
    return 0;
}
