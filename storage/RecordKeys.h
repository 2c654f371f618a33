#pragma once

#include <QString>

// Every record key and stored date format is named once, here: a misspelt key does not compile.

// The columns of the four tables, as the record maps carry them.
namespace Column {
inline const QString Id = QStringLiteral("id");
inline const QString Name = QStringLiteral("name");
inline const QString EngName = QStringLiteral("eng_name");
inline const QString IsFile = QStringLiteral("is_file");
inline const QString FileName = QStringLiteral("file_name");
inline const QString OrderCommand = QStringLiteral("order_command");
inline const QString Position = QStringLiteral("position");
inline const QString OperationType = QStringLiteral("operation_type");
inline const QString Usefully = QStringLiteral("usefully");
inline const QString OrderT = QStringLiteral("order_t");
inline const QString LeaseSecond = QStringLiteral("lease_second");
inline const QString TimerMode = QStringLiteral("timer_mode");
inline const QString RepeatMode = QStringLiteral("repeat_mode");
inline const QString RepeatTimeDayMonthYearInSecond = QStringLiteral("repeat_time_day_month_year_in_second");
inline const QString RepeatBiggerUnit = QStringLiteral("repeat_bigger_unit");
inline const QString RepeatExcept = QStringLiteral("repeat_except");
inline const QString RepeatDetailDay = QStringLiteral("repeat_detail_day");
inline const QString From1970Seconds = QStringLiteral("from_1970_seconds");
inline const QString ConditionSpeed = QStringLiteral("condition_speed");
inline const QString AppPositionT = QStringLiteral("app_position_t");
inline const QString EnableState = QStringLiteral("enable_state");
inline const QString OperationTime = QStringLiteral("operation_time");
inline const QString Timestamp = QStringLiteral("timestamp");
inline const QString OperationIndex = QStringLiteral("operation_index");
}

// Keys of a record map that are not columns.
namespace RecordKey {
// The operand row to update with a task, in the record an edit saves.
inline const QString PositionId = QStringLiteral("position_id");
// The date text of one event read from the power history's source.
inline const QString DateTime = QStringLiteral("datetime");
}

// The formats of the date and time texts stored and shown for people (local time).
namespace DateFormat {
inline const QString DateTime = QStringLiteral("yyyy-MM-dd HH:mm:ss");
inline const QString Date = QStringLiteral("yyyy-MM-dd");
inline const QString Time = QStringLiteral("HH:mm:ss");
}
