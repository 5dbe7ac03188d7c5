#include "ui/SplashOption.h"

namespace sg {

bool SplashWanted(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--no-splash")) {
            return false;
        }
        if (argument.startsWith(QLatin1Char('-')) || argument.startsWith(QLatin1Char('/'))) {
            const QString name = argument.mid(1);
            if (name.compare(QLatin1String("Embedding"), Qt::CaseInsensitive) == 0 ||
                name.compare(QLatin1String("Automation"), Qt::CaseInsensitive) == 0) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace sg
