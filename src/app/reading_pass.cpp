// The diskette reading pass: OK in steps 1 and 2, one diskette per press, and after the last one
// the verification and the building of the database in its Compact Flash form.

#include <algorithm>
#include <iterator>
#include <utility>

#include "app/wizard.h"
#include "archive/diskette_reader.h"
#include "convert/flat_image.h"
#include "convert/recombination.h"
#include "convert/verification.h"
#include "platform/text.h"

namespace xq {

bool Wizard::floppyDriveReady() {
    // The drive recorded in step 0, whatever the hidden list shows: after a restart from the card
    // steps it is still on the card drive.
    const char letter = driveLetterOf(state_.floppyDrive);
    const std::optional<Drive> drive = drives_.drive(letter);
    if (drive && drive->ready) {
        return true;
    }
    std::string message = notReadyMessage(letter);
    if (state_.wizardStep == WizardStep::NextDiskette) {
        message.append(CRLF)
            .append("Please insert disk #")
            .append(std::to_string(state_.diskNumber))
            .append(" into drive.");
    }
    op_.reportError(message);
    return false;
}

ReadResult Wizard::readDiskette() {
    panes_.showMessage(std::string("Please wait...")
                           .append(CRLF)
                           .append("Reading diskette #")
                           .append(std::to_string(state_.diskNumber)));
    disketteDirectories_ = std::max(disketteDirectories_, state_.diskNumber);
    DisketteReadContext context{files_, op_, archive_, state_.floppyDrive, incompleteDiskette_};
    // Diskettes read again in place of kept ones belong to the archive those were checked against.
    context.keptArchive = rereadQueue_.empty() ? nullptr : &archive_;
    // The set's size is known from diskette 1 on.
    WorkScope work(op_, WorkPhase::Reading, state_.diskNumber,
                   state_.diskNumber == 1 ? 0 : archive_.disketteCount);
    const int progressBefore = window_.ProgressBar1.value;
    const ReadResult result = ReadDiskette(context, state_.diskNumber);
    lastReading_ = result;
    if (result == ReadResult::Unreadable) {
        // The diskette counts once on the bar, when it has been read whole.
        window_.setProgressValue(progressBefore);
    }
    if (result == ReadResult::MoreToFollow || result == ReadResult::LastDiskette) {
        work.completed();
    }
    return result;
}

void Wizard::readFirstDiskette() {
    if (!floppyDriveReady()) {
        return;
    }
    proof_.reset();  // a new reading: the database it builds is described anew
    window_.ProgressBar1.visible = true;
    window_.setProgressValue(0);
    actOnReadResult(readDiskette(), true);
}

void Wizard::readNextDiskette() {
    if (!floppyDriveReady()) {
        return;
    }
    actOnReadResult(readDiskette(), false);
}

void Wizard::actOnReadResult(ReadResult result, bool resetProgressFirst) {
    if (!rereadQueue_.empty() &&
        (result == ReadResult::MoreToFollow || result == ReadResult::LastDiskette)) {
        rereadQueue_.erase(rereadQueue_.begin());
        if (!rereadQueue_.empty()) {
            askForDiskette(rereadQueue_.front());
            return;
        }
        // Every diskette asked for has been read again: the whole set is verified once more.
        state_.diskNumber = archive_.disketteCount;
        state_.wizardStep = WizardStep::SelectFlash;
        finishReading(false);
        return;
    }
    switch (result) {
        case ReadResult::MoreToFollow:
            ++state_.diskNumber;
            state_.wizardStep = WizardStep::NextDiskette;
            panes_.promptDiskette(state_.diskNumber);
            break;
        case ReadResult::LastDiskette:
            state_.wizardStep = WizardStep::SelectFlash;
            finishReading(resetProgressFirst);
            break;
        case ReadResult::CopyFailed:
            floppyPrompt();
            break;
        case ReadResult::TooManyDiskettes:
            endProgram();
            break;
        case ReadResult::AnotherArchive:
            // The drive list stays hidden: the next OK records the floppy drive selected in it
            // and asks for diskette 1 again.
            state_.wizardStep = WizardStep::SelectFloppy;
            break;
        case ReadResult::Rejected:
        case ReadResult::Unreadable:
            break;  // reported; the same diskette is asked for again
    }
}

void Wizard::askForDiskette(std::int16_t n) {
    state_.diskNumber = n;
    state_.wizardStep = WizardStep::NextDiskette;
    panes_.promptDiskette(n);
}

bool Wizard::readFailingDiskettesAgain(const std::vector<ChecksumFailure>& failures) {
    const std::vector<ChecksumFailure> before = std::exchange(rereadFailures_, {});
    // A set of one diskette is read again from diskette #1 whatever the answer: nothing to ask.
    if (archive_.disketteCount <= 1) {
        return false;
    }
    std::vector<std::int16_t> diskettes;
    for (const ChecksumFailure& failure : failures) {
        if (std::find(diskettes.begin(), diskettes.end(), failure.diskNumber) == diskettes.end()) {
            diskettes.push_back(failure.diskNumber);
        }
    }
    std::sort(diskettes.begin(), diskettes.end());
    const auto ofDiskette = [](const std::vector<ChecksumFailure>& all, std::int16_t n) {
        std::vector<ChecksumFailure> its;
        std::copy_if(all.begin(), all.end(), std::back_inserter(its),
                     [n](const ChecksumFailure& f) { return f.diskNumber == n; });
        return its;
    };
    std::vector<RereadReason> reasons;
    for (const std::int16_t n : diskettes) {
        const std::vector<ChecksumFailure> now = ofDiskette(failures, n);
        RereadReason& reason = reasons.emplace_back(RereadReason{.diskette = n});
        for (const ChecksumFailure& failure : now) {
            if (!failure.missingFile.empty()) {
                reason.missingFiles.push_back(failure.missingFile);
            }
        }
        // Read again, the diskette gave the very bytes that failed before: they are what it holds.
        // The question still follows, for another copy of it.
        reason.sameAgain = now == ofDiskette(before, n);
        if (reason.sameAgain) {
            op_.reportError("Diskette #" + formatNumber(n) +
                            " holds damaged data: read again, it gave the same bytes, which do "
                            "not match the archived checksum." +
                            std::string(CRLF) +
                            "Reading it again can not help. Use another copy of this diskette, "
                            "or of the whole set.");
        }
    }
    if (diskettes.empty() || op_.askInPerson(rereadQuestion(reasons), "problem!",
                                             box_style::YesNoQuestion) != Answer::Yes) {
        return false;
    }
    rereadQueue_ = diskettes;
    rereadFailures_ = failures;
    // The bar shows the diskettes kept as read; each one read again fills its share.
    const int perDiskette = window_.ProgressBar1.max / std::max<int>(archive_.disketteCount, 1);
    window_.setProgressValue(perDiskette *
                             (archive_.disketteCount - static_cast<int>(diskettes.size())));
    askForDiskette(rereadQueue_.front());
    return true;
}

std::string Wizard::rereadQuestion(const std::vector<RereadReason>& reasons) {
    std::string question;
    std::string numbers;
    bool anotherCopy = false;
    for (const RereadReason& reason : reasons) {
        const std::string diskette = "Diskette #" + formatNumber(reason.diskette);
        if (reason.missingFiles.empty()) {
            question.append(diskette).append(
                " holds data that does not match its archived checksum.");
        } else {
            std::string files;
            for (const std::string& file : reason.missingFiles) {
                files.append(files.empty() ? "" : ", ").append(file);
            }
            question.append(diskette).append(" does not hold ").append(files).append(".");
        }
        question.append(CRLF);
        numbers.append(numbers.empty() ? "#" : ", #").append(formatNumber(reason.diskette));
        anotherCopy = anotherCopy || reason.sameAgain;
    }
    const bool one = reasons.size() == 1;
    // A diskette that gave the same damaged bytes again is read again only as another copy of it.
    if (one) {
        question.append(anotherCopy ? "Read another copy of diskette " + numbers + " in its place?"
                                    : "Read only diskette " + numbers + " again?");
    } else {
        question.append(anotherCopy ? "Read only these diskettes again, another copy of each that "
                                      "holds damaged data?"
                                    : "Read only these diskettes again?");
    }
    return question.append(" No reads the whole set again, from diskette #1.");
}

void Wizard::finishReading(bool resetProgressFirst) {
    if (resetProgressFirst) {
        window_.setProgressValue(0);
    }
    panes_.showMessage(std::string("Done reading diskettes.")
                           .append(CRLF)
                           .append("Verifying validity of data.")
                           .append(CRLF)
                           .append("Please wait..."));
    ConversionContext context = conversion();
    switch (VerifyArchivedFiles(context)) {
        case VerifyOutcome::QuitChosen:
            // The operator chose to quit; the working directories are gone already.
            ended_ = true;
            return;
        case VerifyOutcome::Failed:
            if (!readFailingDiskettesAgain(context.checksumFailures)) {
                floppyPrompt();
            }
            return;
        case VerifyOutcome::Passed:
            break;
    }
    if (!resetProgressFirst) {
        window_.setProgressValue(0);
    }
    const bool recombined = RecombineDatabase(context);
    window_.ProgressBar1.visible = false;
    // A database that could not be built whole must never be offered for writing: the pass ends
    // as after a failed verification, and the diskettes are read again from the first.
    if (!recombined || !BuildFlatImage(context)) {
        floppyPrompt();
        return;
    }
    proof_ = DescribeDatabase(context);
    if (!proof_) {
        floppyPrompt();  // reported
        return;
    }
    compactFlashPrompt();
}

}  // namespace xq
