#include "base/messages.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace korvel {

namespace {

MessageSink* installedSink = nullptr;

MessageAnswer CautiousAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
      return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
      return MessageAnswer::No;
    case MessageButtons::Ok:
      break;
  }
  return MessageAnswer::Ok;
}

bool Continues(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The offsets of each character's first byte in `text`.
std::vector<std::size_t> CharacterStarts(std::string_view text) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!Continues(static_cast<unsigned char>(text[i]))) starts.push_back(i);
  return starts;
}

// Keeps the first and last characters of a part longer than `longest`.
std::string ShortenMiddle(std::string_view part, std::size_t longest) {
  if (part.size() <= longest) return std::string(part);  // bytes >= characters
  const std::vector<std::size_t> starts = CharacterStarts(part);
  if (starts.size() <= longest) return std::string(part);
  const std::size_t head = (longest - 1) / 2;
  const std::size_t tail = longest - 1 - head;
  return std::string(part.substr(0, starts[head])) + "…" + std::string(part.substr(starts[starts.size() - tail]));
}

std::string ShortenQuoted(std::string_view line) {
  static constexpr std::string_view kOpen = "« ";
  static constexpr std::string_view kClose = " »";
  std::string out;
  std::size_t at = 0;
  for (;;) {
    const std::size_t open = line.find(kOpen, at);
    if (open == std::string_view::npos) break;
    const std::size_t start = open + kOpen.size();
    const std::size_t close = line.find(kClose, start);
    if (close == std::string_view::npos) break;
    out += line.substr(at, start - at);
    out += ShortenMiddle(line.substr(start, close - start), kLongestQuoted);
    at = close;
  }
  out += line.substr(at);
  return out;
}

}  // namespace

std::string ShortenForDisplay(std::string_view text) {
  std::string out;
  out.reserve(std::min(text.size(), kLongestLine * 4));
  for (std::size_t at = 0; at <= text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    out += ShortenMiddle(ShortenQuoted(text.substr(at, end - at)), kLongestLine);
    if (end < text.size()) out += '\n';
    at = end + 1;
  }
  return out;
}

MessageAnswer ShowMessage(const Message& message) {
  if (installedSink == nullptr) return CautiousAnswer(message.buttons);
  Message shown = message;
  shown.text = ShortenForDisplay(message.text);
  return installedSink->Show(shown);
}

void ShowMessage(std::string_view text, MessageKind kind) {
  ShowMessage(Message{std::string(text), std::string(kApplicationTitle), kind, MessageButtons::Ok});
}

std::string SystemErrorText(int error) {
  switch (error) {
    case ENOENT: return "le fichier ou le dossier n'existe pas";
    case ENOTDIR: return "un élément du chemin n'est pas un dossier";
    case EISDIR: return "c'est un dossier";
    case EACCES:
    case EPERM: return "permission refusée";
    case EROFS: return "le disque est en lecture seule";
    case ENOSPC: return "le disque est plein";
    case EDQUOT: return "le quota de disque est atteint";
    case ENAMETOOLONG: return "le nom est trop long";
    case ELOOP: return "trop de liens symboliques";
    case EIO: return "erreur d'entrée-sortie";
    case EBUSY:
    case ETXTBSY: return "le fichier est occupé";
    case EMFILE: return "trop de fichiers ouverts par Korvel";
    case ENFILE: return "trop de fichiers ouverts sur le système";
    case ENOMEM: return "mémoire insuffisante";
    case EFBIG:
    case EOVERFLOW: return "le fichier est trop grand";
    case EAGAIN: return "ressource momentanément indisponible";
    case EINVAL: return "argument invalide";
    case ENOSYS:
    case EOPNOTSUPP: return "opération non prise en charge par le système";
    case ENXIO:
    case ENODEV: return "périphérique absent";
    case EEXIST: return "le fichier existe déjà";
    case EXDEV: return "les deux chemins sont sur des disques différents";
    case ENOTEMPTY: return "le dossier n'est pas vide";
    case ESTALE: return "fichier réseau périmé";
    default: return "erreur système n° " + std::to_string(error);
  }
}

ScopedMessageSink::ScopedMessageSink(MessageSink& sink) : previous_(installedSink) { installedSink = &sink; }

ScopedMessageSink::~ScopedMessageSink() { installedSink = previous_; }

}  // namespace korvel
