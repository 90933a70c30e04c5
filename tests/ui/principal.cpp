#include "registre.h"

#include <QApplication>
#include <QTest>

namespace vaskor::test {
std::vector<FabriqueTest>& TestsQt()
{
    static std::vector<FabriqueTest> tests;
    return tests;
}
}  // namespace vaskor::test

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int echecs = 0;
    for (const auto& fabrique : vaskor::test::TestsQt()) {
        std::unique_ptr<QObject> test = fabrique();
        echecs += QTest::qExec(test.get(), argc, argv);
    }
    return echecs == 0 ? 0 : 1;
}
