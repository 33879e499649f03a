# moc.cmake: the table of a test class's slots, for the stand-in of Qt Test, where
# there is no moc. Reads the class's "private slots:" block, keeping its order.
#   cmake -DSOURCE=tst_x.cpp -DOUTPUT=tst_x.moc -P moc.cmake
file(READ ${SOURCE} text)
string(REGEX MATCH "class ([A-Za-z_0-9]+) : public QObject" found "${text}")
if(NOT found)
    message(FATAL_ERROR "${SOURCE}: no test class")
endif()
set(class ${CMAKE_MATCH_1})
string(REGEX MATCH "private slots:([^}]*)}" found "${text}")
if(NOT found)
    message(FATAL_ERROR "${SOURCE}: no private slots")
endif()
string(REGEX MATCHALL "void [A-Za-z_0-9]+\\(\\)" declarations "${CMAKE_MATCH_1}")
set(rows "")
foreach(declaration IN LISTS declarations)
    string(REGEX REPLACE "void ([A-Za-z_0-9]+)\\(\\)" "\\1" slot "${declaration}")
    string(APPEND rows "        {\"${slot}\", [](void *test) { static_cast<${class} *>(test)->${slot}(); }},\n")
endforeach()
file(WRITE ${OUTPUT}.new
"// Made by moc.cmake from ${SOURCE}: the slots of ${class} in declaration order.
const std::vector<std::pair<const char *, void (*)(void *)>> &${class}::qt_testSlots()
{
    static const std::vector<std::pair<const char *, void (*)(void *)>> table = {
${rows}    };
    return table;
}
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
