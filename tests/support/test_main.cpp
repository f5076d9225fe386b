// Entry point of every test program: GoogleTest inside a QApplication, without a display.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // No test numbers ports in the real home, nor do the consoles it starts.
    const QTemporaryDir portsFolder;
    if (qEnvironmentVariableIsEmpty("PARLINO_PORTS_FILE"))
        qputenv("PARLINO_PORTS_FILE", QFile::encodeName(portsFolder.filePath("parlino_ports.txt")));
    return RUN_ALL_TESTS();
}
