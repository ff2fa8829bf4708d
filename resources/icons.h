// The icons of the program's buttons and menu items: the desktop's icon theme where it has a
// fitting icon, else a bundled one, so that no button is ever blank.
#pragma once

#include <QIcon>

enum class IconId {
    kProgram,        // the program itself (about box, window icon)
    kExit,           // "Выход"
    kOpen,           // "Открыть документ"
    kBack,           // "Назад"
    kForward,        // "Вперед"
    kStop,           // "Остановить"
    kRefresh,        // "Обновить"
    kHome,           // "Домой"
    kGo,             // "Переход"
    kForceAnalysis,  // "Принудительно запустить анализ..."
    kTypeFilter,  // "Фильтр словооснов" / "Фильтр слов" / "Фильтр словосочетаний"
    kFilterOff,     // "Отключить дополнительный фильтр"
    kWordsOfStems,  // "Показать слова выделенных словооснов"
    kExprsOfStems,  // "Показать словосочетания выделенных словооснов"
    kStemsOfWords,  // "Показать словоосновы выделенных слов"
    kSameStemWords,  // "Показать слова идентичные выделенным по словоосновам"
    kExprsOfWords,  // "Показать словосочетания выделенных слов по словоосновам"
    kStemsOfExprs,  // "Показать словоосновы выделенных словосочетаний"
    kWordsOfExprs,  // "Показать слова выделенных словосочетаний по словоосновам"
    kSameStemExprs,  // "Показать словосочетания идентичные выделенным по словоосновам"
    kCopySummary,    // "Копировать автореферат в буфер обмена"
    kSaveSummary,    // "Сохранить автореферат в файл"
    kSummaryLimits,  // "Ограничения автореферирования"
    kForceHeadings,  // "Принудительно включить в автореферат заголовки"
    kForceSentence,  // "Принудительно включить в автореферат предложение"
    kClearMarks,  // "Снять все отметки принудительного включения в автореферат"
    kAddStopWord,     // "Добавить"
    kRemoveStopWord,  // "Удалить"
    kMarkInPage,      // "Показать в странице"
    kNextMark,        // "Следующее"
    kPreviousMark,    // "Предыдущее"
    kClearPageMarks,  // "Снять отметки в странице"
    kSaveList,        // "Сохранить как CSV..."
    kMainText,        // "Только основной текст"
    kShowMainText,    // "Показать основной текст"
};

/// Returns the icon for a button or menu item; never a null icon.
QIcon Icon(IconId id);
