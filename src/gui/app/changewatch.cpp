#include "app/changewatch.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "model/filebytes.h"

namespace korvel {

namespace {

// The stamp's hash: it has to tell versions apart, not resist an adversary.
// FNV-1a's step, taken on 8 bytes at a time and folded, the last bytes one
// by one. Each step is one-to-one, so two versions of one size that differ
// in a single word never share a hash. The bytes may come in pieces of any
// size: the hash is that of all of them in a row. The stamp lives in memory
// only, so the words are read in the machine's byte order.
class StampHash {
 public:
  void Add(std::string_view bytes) {
    while (pendingSize_ > 0 && pendingSize_ < kWord && !bytes.empty()) {
      pending_[pendingSize_++] = bytes.front();
      bytes.remove_prefix(1);
      if (pendingSize_ == kWord) {
        Mix(Word(pending_.data()));
        pendingSize_ = 0;
      }
    }
    for (; bytes.size() >= kWord; bytes.remove_prefix(kWord)) Mix(Word(bytes.data()));
    for (const char c : bytes) pending_[pendingSize_++] = c;
  }

  [[nodiscard]] std::uint64_t Value() const {
    std::uint64_t hash = hash_;
    for (std::size_t i = 0; i < pendingSize_; ++i) {
      hash ^= static_cast<unsigned char>(pending_[i]);
      hash *= kPrime;
    }
    return hash;
  }

 private:
  static constexpr std::size_t kWord = sizeof(std::uint64_t);
  static constexpr std::uint64_t kPrime = 0x100000001b3ULL;

  static std::uint64_t Word(const char* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, kWord);
    return word;
  }
  void Mix(std::uint64_t word) {
    hash_ = (hash_ ^ word) * kPrime;
    hash_ ^= hash_ >> 32;
  }

  std::uint64_t hash_ = 0xcbf29ce484222325ULL;
  std::array<char, kWord> pending_{};
  std::size_t pendingSize_ = 0;
};

// The name itself, or a folder that holds it ("css" for "css/styles.css").
bool Names(const std::string& recorded, const std::string& stylesheetName) {
  if (recorded == stylesheetName) return true;
  return stylesheetName.size() > recorded.size() && stylesheetName.compare(0, recorded.size(), recorded) == 0 &&
         stylesheetName[recorded.size()] == '/';
}

bool AnyNames(const std::vector<std::string>& list, const std::string& stylesheetName) {
  for (const std::string& name : list)
    if (Names(name, stylesheetName)) return true;
  return false;
}

}  // namespace

FileStamp FileStamp::OfBytes(std::string_view bytes) {
  StampHash hash;
  hash.Add(bytes);
  return FileStamp{bytes.size(), hash.Value()};
}

// Read in pieces: the window asks at each activation, and a large
// stylesheet is neither copied whole nor held meanwhile.
std::optional<FileStamp> FileStamp::OfFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error) && !error) return std::nullopt;
  StampHash hash;
  std::uint64_t size = 0;
  ReadFileInPieces(path, [&](std::string_view piece) {
    hash.Add(piece);
    size += piece.size();
  });
  return FileStamp{size, hash.Value()};
}

bool ConcernsStylesheet(const ChangeLists& recorded, const std::string& stylesheetName) {
  return recorded.stylesheetMayHaveChanged || AnyNames(recorded.modified, stylesheetName) ||
         AnyNames(recorded.added, stylesheetName) || AnyNames(recorded.removed, stylesheetName) ||
         AnyNames(recorded.renamedOld, stylesheetName) || AnyNames(recorded.renamedNew, stylesheetName);
}

ChangeDecision DecideOnActivation(const ChangeLists& recorded, const std::string& stylesheetName,
                                  const std::optional<FileStamp>& onDisk, const std::optional<FileStamp>& held,
                                  bool unsavedEdits) {
  if (!held || !ConcernsStylesheet(recorded, stylesheetName)) return {};
  const std::string caption(kApplicationTitle);
  if (!onDisk) {
    return {ChangeVerdict::AskDeleted, Message{"Le fichier CSS courant a été supprimé! : " + stylesheetName, caption,
                                               MessageKind::Warning, MessageButtons::Ok}};
  }
  if (*onDisk == *held) return {};
  std::string text = "Le fichier CSS courant a été modifié : " + stylesheetName + "\nRecharger ?";
  if (unsavedEdits) text += "\nVos modifications non sauvegardées seront perdues.";
  return {ChangeVerdict::AskModified, Message{text, caption, MessageKind::Information, MessageButtons::OkCancel}};
}

ChangeDecision DecideBeforeSave(const std::string& stylesheetName, const std::optional<FileStamp>& onDisk,
                                const std::optional<FileStamp>& held, bool unsavedEdits) {
  if (!held || !onDisk || *onDisk == *held) return {};
  std::string text = "Le fichier CSS courant a été modifié hors de Korvel : " + stylesheetName +
                     "\nRecharger ?\n\nOui : recharger le fichier";
  text += unsavedEdits ? " (vos modifications non sauvegardées seront perdues).\n" : ".\n";
  text += "Non : le remplacer par la feuille de Korvel (la version modifiée sera perdue).\n"
          "Annuler : ne rien enregistrer.";
  return {ChangeVerdict::AskBeforeSave,
          Message{text, std::string(kApplicationTitle), MessageKind::Warning, MessageButtons::YesNoCancel}};
}

std::string WatchProblemText(int error) {
  std::string why;
  if (error == ENOSPC)
    why = "le nombre de surveillances inotify permises est atteint (fs.inotify.max_user_watches)";
  else if (error == EMFILE)
    why = "le nombre d'instances inotify permises est atteint (fs.inotify.max_user_instances)";
  else if (error == ENOSYS)
    why = "le système n'offre pas inotify";
  else
    why = SystemErrorText(error);
  return "Les modifications faites hors de Korvel ne sont pas surveillées (" + why +
         ") : la feuille est comparée avec le disque au retour dans Korvel et avant chaque enregistrement.";
}

void ChangeWatch::Watch(const std::filesystem::path& projectFolder, const std::filesystem::path& stylesheet) {
  stylesheet_ = stylesheet;
  stylesheetName_ = ProjectRelativeName(projectFolder, stylesheet);
  held_.reset();
  asked_.reset();
  deletionTold_ = false;
  thread_.SetWatchedFolder(projectFolder, stylesheet);
  // Taking up a folder is a matter of microseconds; waiting for it lets a
  // watch that failed be said at once.
  (void)thread_.WaitUntilWatching(std::chrono::seconds(1));
}

void ChangeWatch::Hold(std::string_view bytes) {
  held_ = FileStamp::OfBytes(bytes);
  asked_.reset();
  deletionTold_ = false;
}

ChangeDecision ChangeWatch::OnActivation(bool unsavedEdits) {
  (void)thread_.TakeChanges();
  if (!held_) return {};
  const std::optional<FileStamp> onDisk = FileStamp::OfFile(stylesheet_.string());
  if (onDisk && onDisk == asked_) return {};
  if (!onDisk && deletionTold_) return {};
  ChangeLists compared;
  compared.stylesheetMayHaveChanged = true;
  ChangeDecision decision = DecideOnActivation(compared, stylesheetName_, onDisk, held_, unsavedEdits);
  asked_ = decision.verdict == ChangeVerdict::AskModified ? onDisk : std::nullopt;
  deletionTold_ = decision.verdict == ChangeVerdict::AskDeleted;
  return decision;
}

ChangeDecision ChangeWatch::BeforeSave(bool unsavedEdits) const {
  if (!held_) return {};
  return DecideBeforeSave(stylesheetName_, FileStamp::OfFile(stylesheet_.string()), held_, unsavedEdits);
}

std::optional<std::string> ChangeWatch::TakeProblem() {
  const std::optional<int> error = thread_.TakeProblem();
  if (!error) return std::nullopt;
  return WatchProblemText(*error);
}

}  // namespace korvel
