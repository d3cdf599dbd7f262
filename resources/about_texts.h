// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The About dialog's texts. UTF-8 and free of Qt, like texts.h.

#include <cstddef>
#include <string>

namespace tessarin::texts {

// Where questions about the program go: it ends the disclaimer and receives the mail link.
// A .invalid domain can never deliver, so no real person gets the mail meant for the author.
inline constexpr const char* ContactAddress = "pelorin@tessarin.invalid";

inline constexpr const char* AboutCaption = "關於Tessarin";
inline constexpr const char* AboutTitle = "Tessarin v1.0";
inline constexpr const char* AboutOK = "確定";
inline constexpr const char* AboutSysInfo = "系統資訊(&S)...";
inline constexpr const char* AboutMailTip = "點一下即可寄信給我";
inline constexpr const char* SysInfoUnavailable = "目前無法提供系統資訊";

// The description is one caption without line breaks: the two long runs of spaces push the
// date and the signature onto lines of their own when the label wraps the text at its width.
inline constexpr const char* AboutDescriptionStory =
    "本程式的前身是我以前寫的五子棋,演算法改了一點,程式檔也小了300KB."
    "標題那個字可不是說沒人贏得了它,只是比上一版強很多啦!";
inline constexpr std::size_t AboutDescriptionGapBeforeDate = 51;
inline constexpr const char* AboutDescriptionDate = "完成於2002/2/18    PS: 感謝妳的使用";
inline constexpr std::size_t AboutDescriptionGapBeforeSignature = 110;
inline constexpr const char* AboutSignature = "Pelorin";

inline std::string AboutDescription() {
    return std::string(AboutDescriptionStory) + std::string(AboutDescriptionGapBeforeDate, ' ') +
           AboutDescriptionDate + std::string(AboutDescriptionGapBeforeSignature, ' ') +
           AboutSignature;
}

inline constexpr const char* AboutDisclaimerLead =
    "警告: ...當然還是老樣子啦,如果本程式造成妳的電腦有所損壞,一概不負責."
    "但我也想不到會怎麼損壞啦! 若有任何問題請  E-mail至";

inline std::string AboutDisclaimer() { return std::string(AboutDisclaimerLead) + ContactAddress; }

// The link that opens a new mail to the author, as text: nothing in it is percent-encoded, and
// it ends in CR LF. The body asks about Scrivel, another of the author's programs.
inline constexpr const char* MailLinkQuery = "?Subject=Pelorin你好!&Body=對於Scrivel我有個小問題:";

inline std::string MailLink() {
    return std::string("mailto:") + ContactAddress + MailLinkQuery + "\r\n";
}

}  // namespace tessarin::texts
