// The about box and the start-up splash.

#include "accessories/About.h"

#include "accessories/AccessoryResources.h"
#include "accessories/JpegImage.h"
#include "accessories/Version.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QTimer>

namespace quillo::accessories {

namespace {

const QColor kFaceGrey(0xF0, 0xF0, 0xF0);
const QColor kSkyBlue(0xA6, 0xCA, 0xF0);
const QColor kNavy(0x00, 0x00, 0x80);

QFont PixelFont(const QString& family, int pixels, bool bold = false, bool italic = false) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const QRect& geometry, const QFont& font, const QColor& text) {
    auto* label = new QLabel(parent);
    label->setGeometry(geometry);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPixmap AboutPicture() {
    InitAccessoryResources();
    QFile file(QStringLiteral(":/about/about.jpg"));
    if (!file.open(QIODevice::ReadOnly)) {
        throw EJpegError("the about picture is missing from the program");
    }
    return QPixmap::fromImage(DecodeJpeg(file.readAll()));
}

} // namespace

TAboutBox::TAboutBox(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(PixelFont(QStringLiteral("ＭＳ Ｐゴシック"), 12));
    setFixedSize(241, 144);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kFaceGrey);
    setPalette(palette);
    setAutoFillBackground(true);

    Panel1 = new QFrame(this);
    Panel1->setGeometry(0, 1, 241, 144);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setGeometry(1, -76, 241, 218);
    ProgramIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ProgramIcon->setPixmap(AboutPicture());

    QFont title = PixelFont(QStringLiteral("Arial Black"), 27);
    title.setWeight(QFont::Black); // keeps a stand-in face heavy too
    ProductName = MakeLabel(Panel1, QRect(9, 16, 162, 38), title, kSkyBlue);
    ProductName->setText(QStringLiteral("quillo"));
    // Navy is the label's own colour; like the other labels it is drawn
    // transparent, so that it shows only as the sky-blue shadow of Label1.
    QPalette navy = ProductName->palette();
    navy.setColor(QPalette::Window, kNavy);
    ProductName->setPalette(navy);

    Version = MakeLabel(Panel1, QRect(7, 45, 226, 24),
                        PixelFont(QStringLiteral("Tahoma"), 20, true, true), Qt::black);
    copy = MakeLabel(Panel1, QRect(7, 75, 218, 22), PixelFont(QStringLiteral("Arial"), 12, true),
                     Qt::black);
    copy->setText(QStringLiteral("Copyright (C) Orvane"));
    Label1 = MakeLabel(Panel1, QRect(7, 14, 162, 38), title, Qt::blue);
    Label1->setText(QStringLiteral("quillo"));
    BuildNo1 = MakeLabel(Panel1, QRect(32, 120, 193, 12), PixelFont(QStringLiteral("Arial"), 12),
                         Qt::black);
    BuildNo1->setAlignment(Qt::AlignRight | Qt::AlignTop);

    for (QLabel* clickable : {ProgramIcon, Version, copy, Label1, BuildNo1}) {
        clickable->installEventFilter(this);
    }

    Timer1 = new QTimer(this);
    Timer1->setInterval(3000);
    Timer1->setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5% early
    connect(Timer1, &QTimer::timeout, this, &TAboutBox::Timer1Timer);

    FormCreate();
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::FormCreate() {
    ReadProgramVersion();
    BuildNo1->setText(QStringLiteral("Build %1").arg(ProgramVersion.StringVersion));
    Version->setText(
        QStringLiteral("バージョン %1.%2").arg(ProgramVersion.Major).arg(ProgramVersion.Minor));
}

void TAboutBox::StartSplash(QObject* receiver, std::function<void()> windowMessage) {
    FSplashReceiver = receiver;
    FWindowMessage = std::move(windowMessage);
    Timer1->start();
    show();
}

void TAboutBox::Timer1Timer() {
    Timer1->stop();
    if (FSplashReceiver != nullptr && FWindowMessage) {
        QMetaObject::invokeMethod(FSplashReceiver, FWindowMessage, Qt::QueuedConnection);
    }
}

void TAboutBox::FormClick() {
    // Accepting ends a modal showing; the splash is not modal and stays.
    if (testAttribute(Qt::WA_ShowModal)) {
        accept();
    } else {
        setResult(QDialog::Accepted);
    }
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* widget = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton &&
            widget->rect().contains(mouse->position().toPoint())) {
            FormClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::showEvent(QShowEvent* event) {
    if (QWidget* owner = parentWidget()) {
        const QRect area = owner->window()->frameGeometry();
        move(area.center() - rect().center());
    }
    QDialog::showEvent(event);
}

bool SplashWanted(const QStringList& args) {
    for (QString arg : args) {
        if (arg.size() >= 2 && arg.startsWith(QLatin1Char('"')) && arg.endsWith(QLatin1Char('"'))) {
            arg = arg.mid(1, arg.size() - 2);
        }
        if (arg == QStringLiteral("-q")) {
            return false;
        }
    }
    return true;
}

} // namespace quillo::accessories
