// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every text the program shows, in one place. UTF-8; kept free of Qt so the engine can use it.

#include <array>

namespace tessarin::texts {

inline constexpr const char* ApplicationTitle = "Tessarin";

// Menu captions; '&' marks the access key.
inline constexpr const char* MenuNewGame = "重來(&N)";
inline constexpr const char* MenuHint = "提示(&H)";
inline constexpr const char* MenuScore = "比數(&G)";
inline constexpr const char* MenuAbout = "關於(&A)";

// Window title while the pointer is over the board: prefix, column, ",", row, ")".
inline constexpr const char* PointerTitlePrefix = "Tessarin  (";

// What a screen reader hears of the board: the table's name, and a cell's name, which is its
// point as the title writes it, a blank, then what stands there.
inline constexpr const char* BoardName = "棋盤";
inline constexpr const char* CellEmpty = "空";
inline constexpr const char* CellRed = "紅子";
inline constexpr const char* CellBlack = "黑子";
// Said after the keyboard point's cell when a new game has emptied the board.
inline constexpr const char* BoardCleared = "棋盤已清空";
// Said after the keyboard point's cell when a board key found the edge and the point stayed.
inline constexpr const char* BoardEdge = "到邊了";
// Said after the keyboard point's cell when a play key placed nothing, and why.
inline constexpr const char* PointTaken = "這裡已經有子了";
inline constexpr const char* GameEnded = "這盤已經結束了";
// Said after the keyboard point's cell for a hint: this, then "(" column "," row ")".
inline constexpr const char* HintSaid = "提示";

// Remarks for a won game, drawn at random.
inline constexpr std::array<const char*, 11> PersonWinMessages = {
    "哇！你太強了吧！",
    "你的頭腦是什麼做的啊？難不成你是機器人。",
    "佩服佩服！",
    "甘拜下風！",
    "這局是讓你的，再戰一局！",
    "好膽賣走！",
    "你是怎麼做到的，教教我好不好？",
    "嗯，我承認你有點實力，可以當我對手。",
    "沒關係，慢慢累積經驗，總有一天可以把你幹掉！",
    "Vandor最屌!",
    "你不會作弊吧！",
};
inline constexpr std::array<const char*, 11> ComputerWinMessages = {
    "耶!妳還不夠格啦!再加油吧!",
    "啊!我又贏啦,真是不好意思!",
    "唉!我已經不想再贏啦！",
    "換人啦，換人啦！",
    "嘿嘿，你是不是覺得很幹呢？",
    "喔，Sorry，我也不知道我自己這麼強的！",
    "我想你可能要在練個一百年才有機會贏我吧！",
    "Vandor最屌！",
    "小心！再贏下去，我就要爆炸了，因為太興奮了！",
    "萬歲！",
    "想贏我，哼！還早的很呢！",
};

// The score box: a remark, CR LF, then "human:computer".
inline constexpr const char* ScoreAhead = "你竟然這麼厲害！";
inline constexpr const char* ScoreBehind = "慢慢加油吧！";

// When the tally cannot be kept: the text, CR LF, then the file concerned (none when there is no
// home folder to keep it in).
inline constexpr const char* TallyNotSaved = "糟糕！比數存不進去，我先幫你記著，等存得進去再存。";
inline constexpr const char* TallyLostAtClose =
    "唉呀！還有比數沒存進去，關掉就不見了，真是不好意思！";
inline constexpr const char* TallySetAside =
    "比數檔壞掉了，我把它搬到旁邊放著，比數從0:0重新開始吧！";
// The store held more than a tally, but the tally could be read and goes on.
inline constexpr const char* TallyKeptAside =
    "比數檔裡混了看不懂的東西，我把原來的檔案留在旁邊，比數照樣接著記！";

}  // namespace tessarin::texts
