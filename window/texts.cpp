// texts.cpp: the Bulgarian texts of the game.
#include "window/texts.h"

#include <cassert>

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
const std::string_view PictureFilter = "Изображения";
const std::string_view CannotOpenTitle = "Картината не може да се отвори";
const std::string_view Understood = "Добре";
const std::string_view DialogLabels[5] = {"Търси в:", "Име на файла:", "Вид на файла:", "Отвори", "Отказ"};

const std::string_view OnePictureAtATime = "Отваря се по една картина наведнъж: пуснете само един файл.";

std::string CannotOpen(std::string_view fileName, std::string_view reason)
{
    std::string line("„");
    line.append(fileName).append("“ не може да се отвори: ").append(reason).append(".");
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
    }
    assert(false && "no reason for a picture that opened");
    return {};
}

} // namespace window::texts
