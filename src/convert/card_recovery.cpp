#include "convert/card_recovery.h"

#include <algorithm>
#include <array>

#include "archive/tree_operations.h"
#include "convert/database_proof.h"
#include "platform/text.h"

namespace xq {

namespace {

enum class Slot { Single, Staging, Aside };
constexpr std::array<Slot, 3> kSlots = {Slot::Single, Slot::Aside, Slot::Staging};

template <typename State>
auto& holdsOf(State& state, Slot slot) {
    switch (slot) {
        case Slot::Single:
            return state.single;
        case Slot::Staging:
            return state.staging;
        case Slot::Aside:
            break;
    }
    return state.aside;
}

const std::string& pathOf(const CardFolders& folders, Slot slot) {
    switch (slot) {
        case Slot::Single:
            return folders.single;
        case Slot::Staging:
            return folders.staging;
        case Slot::Aside:
            break;
    }
    return folders.aside;
}

const std::vector<FileProof>* databaseOf(const CardState& state, Holds holds) {
    if (!state.word) {
        return nullptr;
    }
    const std::optional<std::vector<FileProof>>& files =
        holds == Holds::NewDatabase ? state.word->newDatabase : state.word->oldDatabase;
    return files ? &*files : nullptr;
}

bool provenAs(FileService& files, const std::string& folder, const std::vector<FileProof>& db) {
    return !FindUnprovenFile(files, folder, DatabaseProof{.files = db}, ReadMode::FromMedium, {},
                             Listing::WithHidden);
}

// The whole database a card write's leftovers are put right to. A write that takes itself back
// keeps only the old one (the new one is still in the temporary folder). An earlier write's are put
// right to the new one when its journal says it was proven in backup\single, else to the old one;
// the new one stays only where it replaced an old one that is no longer whole anywhere.
std::optional<Slot> keeperOf(const CardState& state, WriteToSettle write) {
    const bool proven = state.word && state.word->stage == JournalStage::Proven;
    const bool replaced = state.word && state.word->oldDatabase;
    const std::vector<Holds> order =
        write == WriteToSettle::ThisOne ? std::vector{Holds::OldDatabase}
        : proven                        ? std::vector{Holds::NewDatabase, Holds::OldDatabase}
        : replaced                      ? std::vector{Holds::OldDatabase, Holds::NewDatabase}
                                        : std::vector{Holds::OldDatabase};
    for (const Holds wanted : order) {
        for (const Slot slot : kSlots) {
            if (holdsOf(state, slot) == wanted) {
                return slot;
            }
        }
    }
    return std::nullopt;
}

class Settling {
  public:
    Settling(FileService& files, CardJournal& journal, const CardFolders& folders, CardState state,
             WriteToSettle write, const std::function<void(const std::string&)>& log)
        : files_(files), journal_(journal), f_(folders), write_(write), log_(log) {
        result_.state = std::move(state);
    }

    SettleResult run() {
        CardState& s = result_.state;
        if (!s.journalled) {
            result_.settled = true;
            return result_;
        }
        keeper_ = keeperOf(s, write_);
        // A journal of an earlier version has no digests: a database set aside, never proven to be
        // replaced, is taken for the old one, as that version did; only a proven swap leaves both
        // where they are, and says so.
        const bool digests = s.word && (s.word->newDatabase || s.word->oldDatabase);
        if (!keeper_ && !digests && s.aside != Holds::Nothing && !dropping() &&
            !(s.word && s.word->stage == JournalStage::Proven)) {
            keeper_ = Slot::Aside;
            s.aside = Holds::OldDatabase;
            asideTakenForOld_ = true;
        }
        if (s.single != Holds::Nothing && keeper_ != Slot::Single && removable(Slot::Single) &&
            !clearSingle()) {
            return result_;
        }
        bool placed = keeper_ == Slot::Single;
        if (keeper_ && !placed && s.single == Holds::Nothing) {
            if (!moveToSingle(*keeper_)) {
                return result_;
            }
            placed = true;
        }
        for (const Slot slot : {Slot::Aside, Slot::Staging}) {
            if (holdsOf(s, slot) != Holds::Nothing && removable(slot, placed) && !remove(slot)) {
                return result_;
            }
        }
        if (s.single == Holds::Nothing && s.aside != Holds::Nothing && !dropping() &&
            !moveToSingle(Slot::Aside)) {
            // Nothing proves it whole, but it is what is left of the database the card held: it
            // goes back where the system looks for it.
            return result_;
        }
        if (s.staging != Holds::Nothing || s.aside != Holds::Nothing) {
            return result_;  // what stays is told; the journal stays with it
        }
        if (!journal_.remove()) {
            failed(FileError::DeviceIo, journal_.path());
            return result_;
        }
        s.journalled = false;
        s.word.reset();
        result_.settled = true;
        return result_;
    }

  private:
    bool dropping() const {
        return result_.state.word && result_.state.word->stage == JournalStage::Dropping;
    }

    // Whether the folder may go. The staging folder never holds the only copy of the old database,
    // and a write that takes itself back removes what it put at backup\single: its new database is
    // in the temporary folder. Otherwise a whole database goes once another whole one is in place
    // (`placed`), and so does an unproven folder, a broken copy once both databases are known by
    // their digests; an unproven old database set aside goes only when the operator agreed to
    // its removal.
    bool removable(Slot slot, bool placed = true) const {
        const CardState& s = result_.state;
        const Holds holds = holdsOf(s, slot);
        if (slot == Slot::Staging) {
            return true;
        }
        if (slot == Slot::Single) {
            // A write that takes itself back, or one cut off in its swap that replaced nothing,
            // removes what it put there.
            const bool swapOfNothing = s.word && s.word->stage == JournalStage::Swapping &&
                                       s.word->newDatabase && !s.word->oldDatabase;
            if (asideTakenForOld_ || swapOfNothing ||
                (write_ == WriteToSettle::ThisOne && holds != Holds::OldDatabase)) {
                return true;
            }
            placed = keeper_.has_value();
        } else if (holds == Holds::Unproven && dropping()) {
            return true;
        }
        if (!placed) {
            return false;
        }
        return holds != Holds::Unproven || (s.word && s.word->oldDatabase && s.word->newDatabase);
    }

    // Whatever is at backup\single goes, moved out of the way first where it can be (so that the
    // system never reads half a database there), then removed.
    bool clearSingle() {
        CardState& s = result_.state;
        log_("Remove " + f_.single +
             (write_ == WriteToSettle::Earlier ? " written by a conversion that did not finish"
                                               : ""));
        for (const Slot parking : {Slot::Staging, Slot::Aside}) {
            if (keeper_ != parking && holdsOf(s, parking) == Holds::Nothing) {
                return rename(Slot::Single, parking) && remove(parking);
            }
        }
        return remove(Slot::Single);
    }

    // The database in `from` takes backup\single back. A file system that lost part of the folder
    // on the way shows it: then it is no whole database there.
    bool moveToSingle(Slot from) {
        CardState& s = result_.state;
        const Holds moved = holdsOf(s, from);
        if (!rename(from, Slot::Single)) {
            return false;
        }
        log_("Restore " + f_.single + " from " + pathOf(f_, from));
        const std::vector<FileProof>* database = databaseOf(s, moved);
        if (database != nullptr && !HasShape(files_, f_.single, *database)) {
            s.single = Holds::Unproven;
            return failed(FileError::DeviceIo, f_.single);
        }
        return true;
    }

    bool rename(Slot from, Slot to) {
        CardState& s = result_.state;
        const std::string& source = pathOf(f_, from);
        const std::string& target = pathOf(f_, to);
        const FileError e =
            files_.rename(source.substr(0, source.size() - 1), target.substr(0, target.size() - 1));
        if (e != FileError::None) {
            return failed(e, target);
        }
        holdsOf(s, to) = std::exchange(holdsOf(s, from), Holds::Nothing);
        return true;
    }

    bool remove(Slot slot) {
        const std::string& path = pathOf(f_, slot);
        if (!DeleteTree(files_, path, Listing::WithHidden)) {
            // What is left of it is no whole database any more, unless nothing was removed.
            holdsOf(result_.state, slot) =
                files_.folderExists(path) ? Holds::Unproven : Holds::Nothing;
            return failed(FileError::DeviceIo, path);
        }
        holdsOf(result_.state, slot) = Holds::Nothing;
        return true;
    }

    bool failed(FileError e, const std::string& path) {
        result_.error = e;
        result_.failedOn = path;
        return false;
    }

    FileService& files_;
    CardJournal& journal_;
    const CardFolders& f_;
    WriteToSettle write_;
    const std::function<void(const std::string&)>& log_;
    std::optional<Slot> keeper_;
    bool asideTakenForOld_ = false;
    SettleResult result_;
};

}  // namespace

CardFolders::CardFolders(const std::string& flashDrive)
    : backup(flashDrive + "\\backup\\"),
      single(backup + "single\\"),
      staging(backup + std::string(kStagingName) + "\\"),
      aside(backup + std::string(kAsideName) + "\\") {}

CardState ExamineCard(FileService& files, const CardFolders& folders, const CardEntries& entries) {
    CardState state{.journalled = entries.journalled, .word = entries.word};
    // The new database was written by the program: its bytes are read back and proven. The old
    // one was only renamed, which changes no file's bytes: every file of it there at its length
    // shows that nothing of it was lost.
    const auto holds = [&](const std::string& folder, bool there) {
        if (!there) {
            return Holds::Nothing;
        }
        if (const std::vector<FileProof>* created = databaseOf(state, Holds::NewDatabase);
            created != nullptr && provenAs(files, folder, *created)) {
            return Holds::NewDatabase;
        }
        if (const std::vector<FileProof>* old = databaseOf(state, Holds::OldDatabase);
            old != nullptr && HasShape(files, folder, *old)) {
            return Holds::OldDatabase;
        }
        return Holds::Unproven;
    };
    state.single = holds(folders.single, files.folderExists(folders.single));
    state.staging = holds(folders.staging, entries.staging);
    state.aside = holds(folders.aside, entries.aside);
    return state;
}

SettleResult SettleCard(FileService& files, CardJournal& journal, const CardFolders& folders,
                        CardState state, WriteToSettle write,
                        const std::function<void(const std::string&)>& log) {
    return Settling(files, journal, folders, std::move(state), write, log).run();
}

std::string CardHoldsText(const CardState& state, const CardFolders& folders) {
    const bool dropping = state.word && state.word->stage == JournalStage::Dropping;
    // What each folder beside backup\single holds.
    const auto named = [dropping](Slot slot, Holds holds) -> std::string {
        switch (holds) {
            case Holds::OldDatabase:
                return "the old database";
            case Holds::NewDatabase:
                return "the new database";
            case Holds::Unproven:
                return slot == Slot::Staging ? "part of the new database"
                       : dropping            ? "what is left of the old database"
                                             : "a database that could not be proven whole";
            case Holds::Nothing:
                break;
        }
        return {};
    };
    std::string others;
    for (const Slot slot : {Slot::Aside, Slot::Staging}) {
        if (const Holds holds = holdsOf(state, slot); holds != Holds::Nothing) {
            others += (others.empty() ? "" : " and ") + named(slot, holds) + " is in " +
                      pathOf(folders, slot);
        }
    }
    const auto sentence = [](std::string text) {
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        return text + ".";
    };
    switch (state.single) {
        case Holds::Nothing:
            if (others.empty()) {
                return "The card holds no database.";
            }
            return state.aside == Holds::OldDatabase
                       ? sentence(others)
                       : "The card holds no database: " + others + ".";
        case Holds::OldDatabase:
            return others.empty()
                       ? "The card still holds its old database."
                       : sentence("the old database is in " + folders.single + " and " + others);
        case Holds::NewDatabase:
            return others.empty()
                       ? "The card holds the new database, proven there."
                       : sentence("the new database is in " + folders.single + " and " + others);
        case Holds::Unproven:
            break;
    }
    return sentence("a database that could not be proven whole is in " + folders.single +
                    (others.empty() ? "" : " and " + others));
}

std::string NextWriteText(const CardState& state) {
    if (!state.journalled) {
        return {};
    }
    const std::optional<Slot> keeper = keeperOf(state, WriteToSettle::Earlier);
    if (!keeper) {
        if (state.word && state.word->stage == JournalStage::Dropping) {
            return "removes what is left of the old database first.";
        }
        if (state.aside != Holds::Nothing) {
            return state.single == Holds::Nothing ? "puts the old database back first."
                                                  : std::string();
        }
        return "removes what is left of the new one first.";
    }
    if (holdsOf(state, *keeper) == Holds::OldDatabase) {
        return *keeper == Slot::Single ? "removes the new one first."
                                       : "puts the old database back first.";
    }
    return state.single == Holds::NewDatabase || *keeper == Slot::Single
               ? "keeps the new database, proven there, and removes the old one."
               : "puts the new database in place first.";
}

}  // namespace xq
