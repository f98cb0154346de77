// The voice status corner and the registry entries of the voices.
//
// The voice check reads the registry as it would read the voice tokens of a
// speech service. On this system the speech service is eSpeak NG, and
// SyncVoiceRegistry() makes the registry tell what eSpeak NG really offers:
//
//   HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Speech\Voices\Tokens\ZuEspeakNG-<id>
//       @            = the voice's name ("Chinese (Mandarin, latin as English)")
//       "Identifier" = its eSpeak identifier ("sit/cmn")
//       "Language"   = the language it speaks ("cmn")
//       "Vendor"     = "eSpeak NG"
//   HKEY_CURRENT_USER\Software\Microsoft\Speech\Voices
//       "DefaultTokenId" = the full path of that token
//
// <id> is the identifier with "/" written as "-" ("sit-cmn"). Only the voice
// the engine speaks with gets a token. When eSpeak NG cannot start or offers
// no voice, the tokens written before are removed, and so is DefaultTokenId
// when it names one of them; entries of anyone else stay untouched.
#pragma once

#include <string_view>

class QWidget;

namespace zu {

struct EspeakStatus;

inline constexpr std::string_view kVoiceTokensKey = "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens";
inline constexpr std::string_view kDefaultTokenIdPath = "Software\\Microsoft\\Speech\\Voices\\DefaultTokenId";
inline constexpr std::string_view kEspeakTokenPrefix = "ZuEspeakNG-";

// Start-up: removes the "MSSam" voice entry from the registry.
void RemoveMSSamVoiceEntry();
// True when the registry tests of the voice check find a voice.
bool VoicesAvailable();
// Fills the voice status corner of `window` ("超级链接框20" and "按钮26").
void CheckVoiceSupport(QWidget* window);

// Start-up, before the first CheckVoiceSupport: the voice registry entries
// made to match eSpeak NG (waits for eSpeak NG to have started).
void SyncVoiceRegistry();
// The same for a given state of eSpeak NG.
void SyncVoiceRegistry(const EspeakStatus& status);

// A left mouse press on "超级链接框20" runs CheckVoiceSupport again. The link
// is a plain widget without a click signal, so this watches its mouse events.
void InstallVoiceCheckLink(QWidget* window);

}  // namespace zu
