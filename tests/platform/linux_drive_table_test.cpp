#include "platform/linux_drive_table.h"

#include <filesystem>
#include <initializer_list>
#include <map>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "platform/drive_table_snapshot.h"
#include "support/temp_dir.h"

namespace xq {

static void PrintTo(const Drive& d, std::ostream* out) {
    *out << d.letter << ": type " << d.type << (d.ready ? " ready" : " not ready") << " \""
         << d.volumeName << "\" free " << d.freeBytes << " root \"" << d.hostRoot << "\"";
}

namespace test {
namespace {

namespace fs = std::filesystem;

// The files a Linux machine shows about its drives, below a temporary system root.
class SampleSystem {
  public:
    void disk(std::string_view name, bool removable, std::uint64_t sectors,
              std::string_view model = {},
              std::initializer_list<std::string_view> partitions = {}) {
        const fs::path folder = root_ / "sys/block" / name;
        writeFile(folder / "removable", removable ? "1\n" : "0\n");
        writeFile(folder / "size", std::to_string(sectors) + "\n");
        if (!model.empty()) {
            writeFile(folder / "device" / "model", std::string(model) + "  \n");
        }
        fs::create_directories(folder / "queue");  // sysfs folders that are no partitions
        fs::create_directories(folder / "holders");
        for (std::string_view partition : partitions) {
            addPartition(name, partition);
        }
    }
    void addPartition(std::string_view disk, std::string_view name) {
        writeFile(root_ / "sys/block" / disk / name / "partition", "1\n");
    }
    void removeDisk(std::string_view name) { fs::remove_all(root_ / "sys/block" / name); }
    void removePartition(std::string_view disk, std::string_view name) {
        fs::remove_all(root_ / "sys/block" / disk / name);
    }
    // A built-in card slot's host, with no card in it.
    void cardSlot(std::string_view host) {
        fs::create_directories(root_ / "sys/class/mmc_host" / host / "power");
    }
    // A card of `type` ("SD", "MMC" for soldered-on eMMC, "SDIO") in the host's slot, seen as
    // block device `disk` unless it is an SDIO device.
    void insertCard(std::string_view host, std::string_view type, std::string_view disk,
                    std::uint64_t sectors, std::initializer_list<std::string_view> partitions) {
        const fs::path card = root_ / "sys/class/mmc_host" / host / (std::string(host) + ":0001");
        writeFile(card / "type", std::string(type) + "\n");
        if (!disk.empty()) {
            fs::create_directories(card / "block" / disk);
            this->disk(disk, false, sectors, {}, partitions);
        }
    }
    void setSize(std::string_view disk, std::uint64_t sectors) {
        writeFile(root_ / "sys/block" / disk / "size", std::to_string(sectors) + "\n");
    }
    void mounts(std::string_view table) { writeFile(root_ / "proc/self/mounts", table); }
    // `name` as udev writes it in dev/disk/by-label, \x escapes and all.
    void label(std::string_view name, std::string_view device) {
        fs::create_directories(root_ / "dev/disk/by-label");
        fs::create_symlink(fs::path("../..") / device, root_ / "dev/disk/by-label" / name);
    }
    void freeSpace(const std::string& mountPoint, std::uint64_t bytes) {
        free_[mountPoint] = bytes;
    }

    LinuxDriveTable table() const {
        LinuxDriveSources sources;
        sources.systemRoot = root_.string();
        sources.freeBytes = [this](const std::string& mountPoint) -> std::optional<std::uint64_t> {
            auto it = free_.find(mountPoint);
            return it == free_.end() ? std::nullopt : std::optional(it->second);
        };
        return LinuxDriveTable(sources);
    }
    std::vector<Drive> drives() const { return table().drives(); }

  private:
    TempDir temp_;
    fs::path root_ = temp_.path();
    std::map<std::string, std::uint64_t> free_;
};

Drive ready(char letter, int type, std::string hostRoot, std::string volume = {},
            std::uint64_t freeBytes = 0) {
    // The root file system is the one the operating system runs from.
    const bool system = hostRoot == "/";
    return Drive{letter, type, true, std::move(volume), freeBytes, std::move(hostRoot), system};
}

Drive notReady(char letter, int type) {
    return Drive{letter, type, false, {}, 0, {}};
}

std::string lettersOf(const std::vector<Drive>& drives) {
    std::string letters;
    for (const Drive& d : drives) {
        letters += d.letter;
    }
    return letters;
}

constexpr std::string_view kDesktopMounts =
    "sysfs /sys sysfs rw,nosuid,nodev,noexec,relatime 0 0\n"
    "proc /proc proc rw,nosuid,nodev,noexec,relatime 0 0\n"
    "udev /dev devtmpfs rw,nosuid,relatime,size=8049260k,mode=755 0 0\n"
    "tmpfs /run tmpfs rw,nosuid,nodev,noexec,relatime,size=1614868k,mode=755 0 0\n"
    "/dev/sda2 / ext4 rw,relatime,errors=remount-ro 0 0\n"
    "tmpfs /dev/shm tmpfs rw,nosuid,nodev 0 0\n"
    "/dev/sda1 /boot/efi vfat rw,relatime,fmask=0077,dmask=0077 0 0\n"
    "/dev/sda3 /home ext4 rw,relatime 0 0\n"
    "/dev/loop0 /snap/core22/1380 squashfs ro,nodev,relatime 0 0\n"
    "tmpfs /run/user/1000 tmpfs rw,nosuid,nodev,relatime,size=1614864k,mode=700 0 0\n"
    "/dev/sdb1 /media/anna/STICK vfat rw,nosuid,nodev,relatime,uid=1000,gid=1000 0 0\n";

// A desktop: system disk sda, a USB stick sdb, a card reader sdc without a card, an empty DVD
// drive, a snap loop device and compressed swap.
class DesktopTest : public ::testing::Test {
  protected:
    DesktopTest() {
        sample.disk("sda", false, 1000215216, "Samsung SSD 870", {"sda1", "sda2", "sda3"});
        sample.disk("sdb", true, 30031872, "Cruzer Blade", {"sdb1"});
        sample.disk("sdc", true, 0, "SD/MMC/MS PRO");
        sample.disk("sr0", true, 0, "DVD+-RW GH24NSD1");
        sample.disk("loop0", false, 151560);
        sample.disk("zram0", false, 16777216);
        sample.mounts(kDesktopMounts);
        sample.label("SYSTEM", "sda2");
        sample.label("STICK", "sdb1");
        sample.freeSpace("/", 52000000000);
        sample.freeSpace("/media/anna/STICK", 7340032);
    }
    SampleSystem sample;
};

TEST_F(DesktopTest, ListsTheRootTheStickAndTheEmptyReaderAndDvdDrive) {
    EXPECT_EQ(sample.drives(),
              (std::vector<Drive>{
                  ready('C', drive_type::Fixed, "/", "SYSTEM", 52000000000),
                  ready('D', drive_type::Removable, "/media/anna/STICK", "STICK", 7340032),
                  notReady('E', drive_type::Removable),
                  notReady('F', drive_type::CdRom),
              }));
    const LinuxDriveTable table = sample.table();
    EXPECT_EQ(table.hostRoot('c'), "/");
    EXPECT_EQ(table.hostRoot('d'), "/media/anna/STICK");
    EXPECT_EQ(table.hostRoot('E'), std::nullopt);
    EXPECT_EQ(table.hostRoot('A'), std::nullopt);
    EXPECT_EQ(table.hostRoot('G'), std::nullopt);
    EXPECT_EQ(table.drive('f'), notReady('F', drive_type::CdRom));
}

TEST_F(DesktopTest, InsertingACardKeepsEveryLetter) {
    sample.setSize("sdc", 3906250);
    sample.addPartition("sdc", "sdc1");
    sample.label("CF\\x20CARD", "sdc1");
    sample.mounts(std::string(kDesktopMounts) +
                  "/dev/sdc1 /media/anna/CF\\040CARD vfat rw,nosuid,nodev 0 0\n");
    sample.freeSpace("/media/anna/CF CARD", 1998848000);

    const std::vector<Drive> drives = sample.drives();
    ASSERT_EQ(lettersOf(drives), "CDEF");
    EXPECT_EQ(drives[1].hostRoot, "/media/anna/STICK");
    EXPECT_EQ(drives[2],
              ready('E', drive_type::Removable, "/media/anna/CF CARD", "CF CARD", 1998848000));
    EXPECT_EQ(drives[3], notReady('F', drive_type::CdRom));
    EXPECT_EQ(sample.table().hostRoot('E'), "/media/anna/CF CARD");

    // Mounted outside the desktop's folders, a removable medium is still offered.
    sample.mounts(std::string(kDesktopMounts) + "/dev/sdc1 /srv/card vfat rw 0 0\n");
    EXPECT_EQ(sample.table().hostRoot('E'), "/srv/card");
}

// One operator action works with the letters it began with, though the machine's move under it.
TEST_F(DesktopTest, HeldLettersStayWithTheirVolumesUntilTheActionEnds) {
    sample.setSize("sdc", 3906250);
    sample.addPartition("sdc", "sdc1");
    const std::string system(kDesktopMounts.substr(0, kDesktopMounts.find("/dev/sdb1")));
    const std::string card = "/dev/sdc1 /media/anna/CARD vfat rw 0 0\n";
    sample.mounts(std::string(kDesktopMounts) + card);
    sample.freeSpace("/media/anna/CARD", 1998848000);
    const DriveTableSnapshot drives(std::make_unique<LinuxDriveTable>(sample.table()));
    const std::vector<Drive> before = drives.drives();
    ASSERT_EQ(lettersOf(before), "CDEF");

    std::optional<DriveLetterHold> action;
    action.emplace(drives);
    // The stick is pulled out during the action: on the machine the card reader moves up to D:.
    sample.removeDisk("sdb");
    sample.mounts(system + card);
    sample.freeSpace("/media/anna/CARD", 1000);
    ASSERT_EQ(sample.table().hostRoot('D'), "/media/anna/CARD");
    EXPECT_EQ(drives.hostRoot('E'), "/media/anna/CARD");
    EXPECT_EQ(drives.hostRoot('D'), std::nullopt);  // the stick is gone; nothing took its place
    EXPECT_EQ(drives.drives(),
              (std::vector<Drive>{before[0], notReady('D', drive_type::Removable),
                                  ready('E', drive_type::Removable, "/media/anna/CARD", "", 1000),
                                  notReady('F', drive_type::CdRom)}));
    {
        const DriveLetterHold inner(drives);  // a box's events during the action
    }
    EXPECT_EQ(drives.hostRoot('E'), "/media/anna/CARD");

    // The card pulled out as well: its letter is not ready, and no other volume takes it.
    sample.setSize("sdc", 0);
    sample.removePartition("sdc", "sdc1");
    EXPECT_EQ(drives.hostRoot('E'), std::nullopt);
    EXPECT_EQ(drives.drive('E'), notReady('E', drive_type::Removable));

    action.reset();
    EXPECT_EQ(lettersOf(drives.drives()), "CDE");
    EXPECT_EQ(drives.drive('E'), notReady('E', drive_type::CdRom));
}

TEST_F(DesktopTest, AMediumPulledWithoutUnmountingIsNotReady) {
    sample.setSize("sdc", 3906250);
    sample.addPartition("sdc", "sdc1");
    const std::string withCard =
        std::string(kDesktopMounts) + "/dev/sdc1 /media/anna/CARD vfat rw,nosuid,nodev 0 0\n";
    sample.mounts(withCard);
    ASSERT_TRUE(sample.table().hostRoot('E'));

    // The kernel drops the card's partitions and the size; the mount table still lists it.
    sample.setSize("sdc", 0);
    sample.removePartition("sdc", "sdc1");
    EXPECT_EQ(sample.drives(),
              (std::vector<Drive>{
                  ready('C', drive_type::Fixed, "/", "SYSTEM", 52000000000),
                  ready('D', drive_type::Removable, "/media/anna/STICK", "STICK", 7340032),
                  notReady('E', drive_type::Removable),
                  notReady('F', drive_type::CdRom),
              }));
    EXPECT_EQ(sample.table().hostRoot('E'), std::nullopt);

    // A medium mounted without a partition table: its device stays, with size 0.
    sample.mounts(std::string(kDesktopMounts) + "/dev/sdc /media/anna/CARD vfat rw 0 0\n");
    EXPECT_EQ(sample.table().drive('E'), notReady('E', drive_type::Removable));
}

// A laptop's built-in SD slot next to a USB stick: the slot keeps its letter, card or no card.
TEST(LinuxDriveTableTest, ABuiltInCardSlotKeepsOneLetter) {
    SampleSystem sample;
    sample.disk("nvme0n1", false, 1000215216, "", {"nvme0n1p1", "nvme0n1p2"});
    sample.disk("sdb", true, 30031872, "Cruzer Blade", {"sdb1"});
    sample.cardSlot("mmc0");
    const std::string base =
        "/dev/nvme0n1p2 / ext4 rw 0 0\n/dev/sdb1 /media/anna/STICK vfat rw 0 0\n";
    sample.mounts(base);
    EXPECT_EQ(sample.drives(), (std::vector<Drive>{
                                   ready('C', drive_type::Fixed, "/"),
                                   notReady('D', drive_type::Removable),
                                   ready('E', drive_type::Removable, "/media/anna/STICK"),
                               }));

    sample.insertCard("mmc0", "SD", "mmcblk0", 62521344, {"mmcblk0p1"});
    sample.mounts(base + "/dev/mmcblk0p1 /media/anna/SDCARD exfat rw 0 0\n");
    sample.label("SDCARD", "mmcblk0p1");
    EXPECT_EQ(sample.drives(),
              (std::vector<Drive>{
                  ready('C', drive_type::Fixed, "/"),
                  ready('D', drive_type::Removable, "/media/anna/SDCARD", "SDCARD"),
                  ready('E', drive_type::Removable, "/media/anna/STICK"),
              }));

    // Not yet mounted, the card is not ready; its letter stays.
    sample.mounts(base);
    EXPECT_EQ(sample.table().drive('D'), notReady('D', drive_type::Removable));
    EXPECT_EQ(sample.table().hostRoot('E'), "/media/anna/STICK");
}

TEST(LinuxDriveTableTest, EmmcSdioAndASystemCardAreNoCardSlots) {
    SampleSystem board;
    board.insertCard("mmc0", "MMC", "mmcblk0", 30535680, {"mmcblk0p1", "mmcblk0p2"});
    board.disk("mmcblk0boot0", false, 8192);
    board.insertCard("mmc1", "SDIO", "", 0, {});
    board.mounts("/dev/mmcblk0p2 / ext4 rw 0 0\n/dev/mmcblk0p1 /boot/efi vfat rw 0 0\n");
    EXPECT_EQ(board.drives(), (std::vector<Drive>{ready('C', drive_type::Fixed, "/")}));

    // A single-board computer that runs from the card in its slot.
    SampleSystem pi;
    pi.insertCard("mmc0", "SD", "mmcblk0", 62521344, {"mmcblk0p1", "mmcblk0p2"});
    pi.mounts("/dev/mmcblk0p2 / ext4 rw 0 0\n/dev/mmcblk0p1 /boot/firmware vfat rw 0 0\n");
    EXPECT_EQ(pi.drives(), (std::vector<Drive>{ready('C', drive_type::Fixed, "/")}));
}

TEST(LinuxDriveTableTest, InternalFloppyIsReadyOnlyWithAMountedDiskette) {
    SampleSystem sample;
    sample.disk("fd0", true, 2880);
    sample.disk("sda", false, 500118192, "WDC WD5000", {"sda1"});
    sample.mounts("/dev/sda1 / ext4 rw 0 0\n");
    EXPECT_EQ(lettersOf(sample.drives()), "AC");
    EXPECT_EQ(sample.drives()[0], notReady('A', drive_type::Removable));

    sample.label("BACKUP\\x201", "fd0");
    sample.mounts("/dev/sda1 / ext4 rw 0 0\n/dev/fd0 /media/floppy vfat rw 0 0\n");
    sample.freeSpace("/media/floppy", 1457152);
    const std::vector<Drive> drives = sample.drives();
    ASSERT_EQ(lettersOf(drives), "AC");  // not offered a second time from D: on
    EXPECT_EQ(drives[0], ready('A', drive_type::Removable, "/media/floppy", "BACKUP 1", 1457152));
    EXPECT_EQ(sample.table().hostRoot('a'), "/media/floppy");
}

TEST(LinuxDriveTableTest, UsbFloppyDrivesAreFoundByCapacityOrModel) {
    SampleSystem sample;
    sample.disk("fd0", true, 2880);
    sample.disk("sdb", true, 0, "USB-FDU");     // empty USB floppy drive
    sample.disk("sdc", true, 2880, "Generic");  // USB floppy drive with a diskette
    sample.disk("sdd", true, 0, "Card Reader");
    sample.mounts("/dev/vda / ext4 rw 0 0\n/dev/sdc /media/u/disk vfat rw 0 0\n");
    // fd0 first, then the USB drives by name, and only two of them.
    std::vector<Drive> drives = sample.drives();
    ASSERT_EQ(lettersOf(drives), "ABCD");
    EXPECT_EQ(drives[1], notReady('B', drive_type::Removable));
    EXPECT_EQ(drives[3], notReady('D', drive_type::Removable));  // the card reader

    // A diskette taken out of a USB drive without unmounting it.
    SampleSystem usb;
    usb.disk("sdb", true, 2880, "TEAC USB FDD");
    usb.mounts("/dev/vda / ext4 rw 0 0\n/dev/sdb /media/u/disk vfat rw 0 0\n");
    ASSERT_EQ(usb.table().hostRoot('A'), "/media/u/disk");
    usb.setSize("sdb", 0);
    EXPECT_EQ(usb.drives(), (std::vector<Drive>{notReady('A', drive_type::Removable),
                                                ready('C', drive_type::Fixed, "/")}));

    // Which removable devices count as floppy drives, one at a time.
    struct Case {
        bool removable;
        std::uint64_t sectors;
        const char* model;
        bool floppy;
    };
    for (const Case& c : {Case{true, 0, "UF0002", true}, Case{true, 0, "Mitsumi USB FDD", true},
                          Case{true, 0, "USB FLOPPY", true}, Case{true, 0, "", false},
                          Case{true, 5760, "Flash Disk", true}, Case{true, 5761, "USB FDD", false},
                          Case{false, 2880, "Floppy", false}}) {
        SampleSystem one;
        one.disk("sdb", c.removable, c.sectors, c.model);
        one.mounts("/dev/vda / ext4 rw 0 0\n");
        EXPECT_EQ(lettersOf(one.drives()), c.floppy      ? "AC"
                                           : c.removable ? "CD"
                                                         : "C")
            << c.model << " " << c.sectors;
    }
}

TEST(LinuxDriveTableTest, OpticalDrivesAndImagesAreCdRoms) {
    SampleSystem sample;
    sample.disk("sr0", true, 7654321, "DVD-RAM UJ8E2");
    sample.disk("loop0", false, 1290240);
    sample.label("Debian\\x2012.5.0\\x20amd64\\x20n", "sr0");
    sample.mounts(
        "/dev/vda / ext4 rw 0 0\n"
        "/dev/sr0 /media/anna/Debian\\04012.5.0\\040amd64\\040n iso9660 ro,nosuid 0 0\n"
        "/dev/loop0 /mnt/iso iso9660 ro,relatime 0 0\n");
    const std::vector<Drive> drives = sample.drives();
    ASSERT_EQ(lettersOf(drives), "CDE");
    EXPECT_EQ(drives[1], ready('D', drive_type::CdRom, "/mnt/iso"));  // loop0 before sr0
    EXPECT_EQ(drives[2], ready('E', drive_type::CdRom, "/media/anna/Debian 12.5.0 amd64 n",
                               "Debian 12.5.0 amd64 n"));
}

TEST(LinuxDriveTableTest, FileSystemsWithoutADeviceUnderMntFollowInMountPointOrder) {
    SampleSystem sample;
    sample.disk("sda", false, 1000, "", {"sda1", "sda2"});
    sample.mounts(
        "/dev/sda1 / ext4 rw 0 0\n"
        "tmpfs /mnt/scratch tmpfs rw,size=1048576k 0 0\n"
        "systemd-1 /mnt/nas autofs rw,relatime,fd=52 0 0\n"
        "nas.local:/export/backup /mnt/nas nfs4 rw,relatime,vers=4.2 0 0\n"
        "//fileserver/share /mnt/share cifs rw,relatime 0 0\n"
        "anna@host:/ /mnt/ssh fuse.sshfs rw,nosuid,nodev 0 0\n"
        "tmpfs /run/lock tmpfs rw 0 0\n"
        "/dev/sda2 /mnt/data ext4 rw 0 0\n");
    sample.freeSpace("/mnt/nas", 4096);
    EXPECT_EQ(sample.drives(), (std::vector<Drive>{
                                   ready('C', drive_type::Fixed, "/"),
                                   ready('D', drive_type::Fixed, "/mnt/data"),
                                   ready('E', drive_type::Network, "/mnt/nas", "", 4096),
                                   ready('F', drive_type::RamDisk, "/mnt/scratch"),
                                   ready('G', drive_type::Network, "/mnt/share"),
                                   ready('H', drive_type::Network, "/mnt/ssh"),
                               }));
}

TEST(LinuxDriveTableTest, DecodesEscapedMountPoints) {
    SampleSystem sample;
    sample.disk("sdb", true, 62521344, "", {"sdb1"});
    sample.mounts(
        "/dev/vda / ext4 rw 0 0\n"
        "/dev/sdb1 /media/anna/My\\040Card\\011A\\134B vfat rw 0 0\n"
        "tmpfs\t/mnt/with\\012line\ttmpfs\trw\t0\t0\n");
    const LinuxDriveTable table = sample.table();
    EXPECT_EQ(table.hostRoot('D'), "/media/anna/My Card\tA\\B");
    EXPECT_EQ(table.hostRoot('E'), "/mnt/with\nline");
}

TEST(LinuxDriveTableTest, DuplicateAndBindMountsGiveOneDrive) {
    SampleSystem sample;
    sample.disk("sda", false, 1000, "", {"sda1", "sda2"});
    sample.disk("sdb", true, 62521344, "", {"sdb1", "sdb2"});
    sample.disk("sdc", true, 3906250, "", {"sdc1"});
    sample.mounts(
        "rootfs / rootfs rw 0 0\n"
        "/dev/sda1 / ext4 rw 0 0\n"
        "/dev/sda1 /mnt/root-view ext4 rw 0 0\n"    // bind mount of the root file system
        "/dev/sdb2 /media/anna/DATA vfat rw 0 0\n"  // the stick's second partition first
        "/dev/sdb1 /media/anna/BOOT vfat rw 0 0\n"
        "/dev/sdb1 /mnt/boot-again vfat rw 0 0\n"  // bind mount of the stick
        "/dev/sdc1 /media/anna/CARD vfat rw 0 0\n"
        "/dev/sda2 /mnt/data ext4 rw 0 0\n"
        "/dev/sda2 /mnt/data-view ext4 rw 0 0\n"      // bind mount of a fixed partition
        "/dev/sdc1 /media/anna/CARD vfat rw 0 0\n");  // the same mount point again
    const std::vector<Drive> drives = sample.drives();
    EXPECT_EQ(drives, (std::vector<Drive>{
                          ready('C', drive_type::Fixed, "/"),
                          ready('D', drive_type::Fixed, "/mnt/data"),
                          ready('E', drive_type::Removable, "/media/anna/BOOT"),
                          ready('F', drive_type::Removable, "/media/anna/CARD"),
                      }));

    // The last mount on a mount point is the one in effect: the card hides the stick's partition.
    sample.mounts(
        "/dev/sda1 / ext4 rw 0 0\n"
        "/dev/sdb1 /media/anna/STICK vfat rw 0 0\n"
        "/dev/sdc1 /media/anna/STICK vfat rw 0 0\n");
    EXPECT_EQ(sample.drives(), (std::vector<Drive>{
                                   ready('C', drive_type::Fixed, "/"),
                                   notReady('D', drive_type::Removable),
                                   ready('E', drive_type::Removable, "/media/anna/STICK"),
                               }));
}

TEST(LinuxDriveTableTest, LettersEndAtZ) {
    SampleSystem sample;
    std::string table = "/dev/vda / ext4 rw 0 0\n";
    for (int i = 10; i < 40; ++i) {
        table += "tmpfs /mnt/t" + std::to_string(i) + " tmpfs rw 0 0\n";
    }
    sample.mounts(table);
    const std::vector<Drive> drives = sample.drives();
    ASSERT_EQ(drives.size(), 24u);
    EXPECT_EQ(drives.back().letter, 'Z');
    EXPECT_EQ(drives.back().hostRoot, "/mnt/t32");
}

TEST(LinuxDriveTableTest, MissingFilesLeaveOnlyTheRootFileSystem) {
    SampleSystem sample;
    EXPECT_EQ(sample.drives(), (std::vector<Drive>{ready('C', drive_type::Fixed, "/")}));

    LinuxDriveSources nowhere;
    nowhere.systemRoot = "/nonexistent/xq3100";
    nowhere.freeBytes = [](const std::string&) { return std::optional<std::uint64_t>(); };
    EXPECT_EQ(lettersOf(LinuxDriveTable(nowhere).drives()), "C");
}

TEST(LinuxDriveTableTest, ThisMachineHasAReadyRootDrive) {
    const std::unique_ptr<DriveTable> table = makeHostDriveTable();
    const std::optional<Drive> c = table->drive('C');
    ASSERT_TRUE(c.has_value());
    EXPECT_TRUE(c->ready);
    EXPECT_EQ(c->type, drive_type::Fixed);
    EXPECT_EQ(c->hostRoot, "/");
    EXPECT_GT(c->freeBytes, 0u);
    EXPECT_EQ(table->hostRoot('C'), "/");
}

}  // namespace
}  // namespace test
}  // namespace xq
