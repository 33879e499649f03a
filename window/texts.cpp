// texts.cpp: the Bulgarian texts of the game.
#include "window/texts.h"

#include "forms/utf8.h"

#include <cassert>
#include <utility>
#include <vector>

namespace window::texts {

const std::string_view HelpText =
    "Пъзел е вид игра, за не чак толкова възрастни, при която множество части трябва да бъдат правилно "
    "подредени, така че да образуват предварително известно изображение.\r\n"
    "В настоящия момент, често срещано е разнообразни репродукции на изобразителното изкуство да бъдат "
    "използвани като изображение за пъзел.\r\n"
    "Да се реализира проект, представящ междупредметни връзки между Изобразително изкуство и Информатика.\r\n"
    "Тема на проекта: Изобразително изкуство - подреждане на пъзел.\r\n"
    "В примерния проект е използвана репродукция на \"Нощна стража\".\r\n"
    "Названието е дадено от наши съвременници заради тъмния фон, т.к. като оригиналът е престоял дълги "
    "години в избено помещение и е потъмнял - голяма област частите си приличат, което от своя страна "
    "повишава трудността при подреждане на пъзела.\r\n"
    "Примерният проект съдържа правоъгълник, разделен на множество по-малки правоъгълници. Всеки от тях  "
    "съдържа част от изображението. Чрез посочване могат да се разменят местата на два от вписаните "
    "правоъгълници.\r\n"
    "Чрез отделни командни бутони са реализирани следните функции:\r\n"
    " - Изчисти - показва, сглобения пъзел;\r\n"
    " - Размести - автоматична промяна началното разположение на отделните части;\r\n"
    " - Размени - разменя позицията на две посочени части;\r\n"
    " - Ход назад - връща предходната ситуация от съхранената история на ходовете.\r\n";

const std::string_view Solved = "Правилно подреден пъзел!";

std::string SwapLine(std::string_view secondTile, std::string_view firstTile)
{
    std::string line("Разменям: ");
    line.append(secondTile).append(" и ").append(firstTile).append("\r\n");
    return line;
}

const std::string_view WindowTitle = "kalvero.bg Изобразително изкуство - пъзел";
const std::string_view BoardTitle = "Изобразително изкуство - подреждане на пъзел";
const std::string_view Commands[4] = {"Изчисти", "Размести", "Размени", "Ход назад"};

std::string SlotName(int slot, std::string_view tileText)
{
    std::string name("Поле ");
    name.append(std::to_string(slot)).append(": част ").append(tileText);
    return name;
}

const std::string_view BoardName = "Пъзел";
const std::string_view MessageBoxName = "Съобщения";

const std::string_view OpenPicture = "Отвори картина…";
const std::string_view OpenPictureTitle = "Отвори картина";
const std::string_view BuiltInPicture = "Върни вградената картина";
const std::string_view ShowWholePicture = "Покажи цялата картина";
const std::string_view WholePicture = "Цялата картина";
const std::string_view PictureFilter = "Изображения и уроци";
const std::string_view CannotOpenTitle = "Картината не може да се отвори";
const std::string_view Understood = "Добре";
const std::string_view DialogLabels[5] = {"Търси в:", "Име на файла:", "Вид на файла:", "Отвори", "Отказ"};

const std::string_view OnePictureAtATime = "Отваря се по една картина наведнъж: пуснете само един файл.";

namespace {

constexpr char32_t Replacement = 0xFFFD;

// The code point `text` starts with and how many bytes it takes. A byte that starts no
// well-formed sequence is one U+FFFD by itself, and the next byte starts afresh.
std::pair<char32_t, std::size_t> NextCodePoint(std::string_view text)
{
    const forms::CodePoint read = forms::ReadCodePoint(text);
    return read.length ? std::pair{read.code, read.length} : std::pair{Replacement, std::size_t(1)};
}

using forms::AppendUtf8;

// Marks, embeddings, overrides and isolates, and the two separators that break a line.
bool ActsOnText(char32_t code)
{
    return code == 0x061C || code == 0x200E || code == 0x200F || (code >= 0x2028 && code <= 0x202E)
        || (code >= 0x2066 && code <= 0x2069);
}

// One character of a name as shown, and how many code points that takes.
std::pair<std::string, int> ShownCharacter(char32_t code)
{
    std::string shown;
    if (code < 0x20) {
        AppendUtf8(shown, 0x2400 + code);   // "␀" to "␟"
        return {shown, 1};
    }
    if (code == 0x7F) {
        AppendUtf8(shown, 0x2421);   // "␡"
        return {shown, 1};
    }
    if ((code >= 0x80 && code < 0xA0) || ActsOnText(code)) {
        static constexpr char Digits[] = "0123456789ABCDEF";
        shown = "⟨U+";
        for (int shift = 12; shift >= 0; shift -= 4)
            shown += Digits[(code >> shift) & 0xF];
        shown += "⟩";
        return {shown, 8};
    }
    AppendUtf8(shown, code);
    return {shown, 1};
}

} // namespace

std::string ShownName(std::string_view fileName)
{
    std::vector<std::pair<std::string, int>> characters;
    int length = 0;
    while (!fileName.empty()) {
        const auto [code, bytes] = NextCodePoint(fileName);
        fileName.remove_prefix(bytes);
        characters.push_back(ShownCharacter(code));
        length += characters.back().second;
    }
    std::string shown("\u2068");
    if (length <= ShownNameLength) {
        for (const auto &character : characters)
            shown += character.first;
    } else {
        // Whole characters only, a mark never cut: the end gets the larger share.
        constexpr int HeadLength = (ShownNameLength - 1) / 2, TailLength = ShownNameLength - 1 - HeadLength;
        std::size_t head = 0, tail = characters.size();
        for (int taken = 0; taken + characters[head].second <= HeadLength; ++head)
            taken += characters[head].second;
        for (int taken = 0; taken + characters[tail - 1].second <= TailLength; --tail)
            taken += characters[tail - 1].second;
        for (std::size_t i = 0; i < head; ++i)
            shown += characters[i].first;
        shown += "…";
        for (std::size_t i = tail; i < characters.size(); ++i)
            shown += characters[i].first;
    }
    shown += "\u2069";
    return shown;
}

std::string CannotOpen(std::string_view fileName, std::string_view reason)
{
    std::string line("„");
    line.append(ShownName(fileName)).append("“ не може да се отвори: ").append(reason).append(".");
    return line;
}

std::string_view Reason(picture::PictureError error)
{
    switch (error) {
    case picture::PictureError::None: break;
    case picture::PictureError::Missing: return "няма такъв файл";
    case picture::PictureError::Folder: return "това е папка, а не файл";
    case picture::PictureError::NotAFile: return "това не е обикновен файл";
    case picture::PictureError::Unreadable: return "няма права за четенето му";
    case picture::PictureError::ReadFailed: return "файлът не може да се прочете";
    case picture::PictureError::Empty: return "файлът е празен";
    case picture::PictureError::FileTooLarge: return "файлът е по-голям от 128 MiB";
    case picture::PictureError::NotAnImage: return "това не е изображение във формат, който програмата чете";
    case picture::PictureError::TooLarge: return "изображението е твърде голямо за отваряне";
    case picture::PictureError::Damaged: return "изображението е повредено или непълно";
    case picture::PictureError::TooComplex: return "твърде сложно за отваряне";
    case picture::PictureError::NotReadHere:
        return "браузърът не поддържа формата TIFF; отворете картина във формат JPEG, PNG, WebP, GIF или BMP";
    case picture::PictureError::VariantNotRead:
        return "това е разновидност на формата, която програмата не чете (12-битов JPEG, JPEG без загуби, TIFF с дробни стойности)";
    case picture::PictureError::ReadStalled: return "файлът не може да бъде прочетен: устройството спря да отговаря";
    case picture::PictureError::DecoderCrashed: return "разчитането му прекъсна аварийно";
    case picture::PictureError::PhotoFormatNotRead:
        return "това е снимка във формат HEIC или AVIF, който програмата не чете; запазете я като JPEG или PNG";
    }
    assert(false && "no reason for a picture that opened");
    return {};
}

} // namespace window::texts

// A lesson.
#include "lesson/lesson.h"

namespace window::texts {

const std::string_view SaveLesson = "Запази като урок…";
const std::string_view SaveLessonTitle = "Запази като урок";
const std::string_view LessonFilter = "Урок (*.html)";
const std::string_view CannotSaveTitle = "Урокът не може да се запази";
const std::string_view NoWritePermission = "няма права за запис в тази папка";
const std::string_view DiskFull = "няма достатъчно място на диска";
const std::string_view WriteFailed = "файлът не може да се запише";
const std::string_view LessonTextCut = "Текстът на урока е по-дълъг от 4000 знака: показани са първите 4000.";

std::string CannotSave(std::string_view fileName, std::string_view reason)
{
    std::string line("„");
    line.append(ShownName(fileName)).append("“ не може да се запази: ").append(reason).append(".");
    return line;
}

std::string_view LessonReason(lesson::LessonError error)
{
    switch (error) {
    case lesson::LessonError::None: break;
    case lesson::LessonError::NotALesson: return "това е уеб страница, а не урок на Kalvero";
    case lesson::LessonError::TwoLessons: return "страницата съдържа повече от един урок";
    case lesson::LessonError::Malformed: return "урокът в страницата е повреден";
    case lesson::LessonError::BadStart: return "началната подредба на урока не съдържа всяка от 30-те части точно веднъж";
    case lesson::LessonError::TooLarge: return "урокът е по-голям от 16 MiB";
    }
    assert(false && "no reason for a lesson that opened");
    return {};
}

} // namespace window::texts

// The cycles of the arrangement.
namespace window::texts {

const std::string_view ShowCycles = "Покажи циклите";

std::string CyclesLine(int cycles, int swaps)
{
    std::string line("Цикли: ");
    line.append(std::to_string(cycles)).append(" · Най-малко размени до подредената картина: ").append(std::to_string(swaps));
    return line;
}

std::string CycleSlotName(int slot, std::string_view tileText, int cycle)
{
    std::string name = SlotName(slot, tileText);
    if (cycle > 0)
        name.append(", цикъл ").append(std::to_string(cycle));
    else
        name.append(", на мястото си");
    return name;
}

} // namespace window::texts
