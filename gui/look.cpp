// The look of the forms: the character grid, colours, fonts, pictures and owner-drawn buttons.
#include "gui/adapter.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cmath>

using namespace adapter;

namespace {

// Windows' sixteen colours, then the same sixteen halfway to white.
constexpr int kPaletteSize = 16;
constexpr int kPalette[kPaletteSize][3] = {
    {0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128},  {128, 0, 0}, {128, 0, 128},
    {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 80, 200},   {0, 255, 0}, {0, 255, 255},
    {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};
constexpr int kPaletteEnd = 32;
constexpr int kToolkitFontCount = 6;
// A character column is the default font's mean letter width times this, rounded to a quarter
// pixel; never smaller than the 8 x 16 pixel cell the window layouts were designed on.
constexpr double kColumnPerLetterWidth = 1.25;
constexpr double kLeastColumnPixels = 8;
constexpr double kLeastRowPixels = 16;
constexpr int kRowPaddingPixels = 2;
// Steps from a text colour to white or black while looking for a readable one.
constexpr int kContrastSteps = 20;

QColor systemColor(int index) {
    QPalette palette = QApplication::palette();
    switch (index) {
    case 5:
        return palette.color(QPalette::Base);
    case 6:
        return palette.color(QPalette::Shadow);
    case 7:
    case 9:
        return palette.color(QPalette::WindowText);
    case 8:
        return palette.color(QPalette::Text);
    case 13:
        return palette.color(QPalette::Highlight);
    case 14:
        return palette.color(QPalette::HighlightedText);
    case 16:
        return palette.color(QPalette::Dark);
    case 17:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18:
        return palette.color(QPalette::ButtonText);
    case 20:
        return palette.color(QPalette::Light);
    case 23:
        return palette.color(QPalette::ToolTipText);
    case 24:
        return palette.color(QPalette::ToolTipBase);
    default:
        return palette.color(QPalette::Window);
    }
}

QFont makeFont(const std::string& face, double points, const std::string& properties) {
    QFont font(toQt(face));
    font.setPointSizeF(points > 0 ? points : QApplication::font().pointSizeF());
    if (QFontInfo(font).family().compare(toQt(face), Qt::CaseInsensitive) != 0) {
        font.setFamily(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    }
    font.setBold(hasLetter(properties, 'B'));
    font.setItalic(hasLetter(properties, 'I'));
    font.setUnderline(hasLetter(properties, 'U'));
    return font;
}

// The file or resource a picture name stands for; "" when there is none.
QString picturePath(const std::string& name) {
    if (name.empty()) return {};
    if (name[0] == '$') {
        QString resource = toQt(name.substr(1));
        for (const char* folder : {":/", ":/images/"}) {
            for (const char* extension : {"", ".png", ".bmp", ".ico", ".svg"}) {
                QString path = QLatin1String(folder) + resource + QLatin1String(extension);
                if (QFile::exists(path)) return path;
            }
        }
        return {};
    }
    QString path = toQt(name);
    if (QFileInfo(path).isRelative() && !toolkit.imageFolder.isEmpty()) {
        QString inFolder = QDir(toolkit.imageFolder).filePath(path);
        if (QFile::exists(inFolder)) return inFolder;
    }
    return path;
}

// The program's pictures are PNG: naming the format spares loading every image plugin to ask it.
QImage readImage(const QString& path) {
    QImageReader reader(path);
    if (path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
        reader.setFormat("png");
        reader.setAutoDetectImageFormat(false);
    }
    return reader.read();
}

// The same picture at twice the size, as Qt names it ("name@2x.png"), for high-density screens.
QImage loadSharpImage(const QString& path) {
    QFileInfo info(path);
    QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString sharp = path.left(path.size() - suffix.size()) + QLatin1String("@2x") + suffix;
    return QFile::exists(sharp) ? readImage(sharp) : QImage();
}

// The draw token of the owner-draw event being handled, checked against the control.
QPainter* painterFor(const std::string& form, int id, int drawToken) {
    Control* control = findControl(form, id);
    if (control == nullptr || toolkit.drawPainter == nullptr || drawToken != toolkit.drawToken ||
        control->widget != toolkit.drawWidget) {
        return nullptr;
    }
    return toolkit.drawPainter;
}

enum class ButtonShape { Flat, Bevelled, Rounded, Elliptic };

void drawButton(const std::string& form, int id, int drawToken, int face, int text, int font,
                ButtonShape shape) {
    QPainter* painter = painterFor(form, id, drawToken);
    if (painter == nullptr) return;
    auto* button = qobject_cast<QPushButton*>(toolkit.drawWidget);
    if (button == nullptr) return;
    QColor faceColor = colorOf(face);
    if (!faceColor.isValid()) faceColor = button->palette().color(QPalette::Button);
    QColor textColor = colorOf(text);
    if (!textColor.isValid()) textColor = button->palette().color(QPalette::ButtonText);
    textColor = legibleOn(textColor, faceColor, button->palette().color(QPalette::ButtonText));
    if (!button->isEnabled())
        textColor = button->palette().color(QPalette::Disabled, QPalette::ButtonText);
    bool pressed = button->isDown() || button->isChecked();
    QRectF area = QRectF(button->rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter->setRenderHint(QPainter::Antialiasing, shape != ButtonShape::Bevelled);
    QColor fill = pressed ? faceColor.darker(115) : faceColor;
    QColor edge = faceColor.darker(160);
    painter->setPen(edge);
    painter->setBrush(fill);
    switch (shape) {
    case ButtonShape::Flat:
        painter->drawRect(area);
        break;
    case ButtonShape::Bevelled: {
        painter->fillRect(button->rect(), fill);
        QColor light = pressed ? faceColor.darker(150) : faceColor.lighter(140);
        QColor dark = pressed ? faceColor.lighter(140) : faceColor.darker(150);
        QRect r = button->rect().adjusted(0, 0, -1, -1);
        painter->setPen(light);
        painter->drawLine(r.topLeft(), r.topRight());
        painter->drawLine(r.topLeft(), r.bottomLeft());
        painter->setPen(dark);
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->drawLine(r.topRight(), r.bottomRight());
        break;
    }
    case ButtonShape::Rounded:
        painter->drawRoundedRect(area, 5, 5);
        break;
    case ButtonShape::Elliptic:
        painter->drawRoundedRect(area, area.height() / 2, area.height() / 2);
        break;
    }
    QRect textArea = button->rect();
    if (pressed) textArea.translate(1, 1);
    painter->setFont(fontOf(font));
    painter->setPen(textColor);
    painter->drawText(textArea, Qt::AlignCenter | Qt::TextShowMnemonic, button->text());
    if (button->hasFocus()) {
        QPen focusPen(textColor, 1, Qt::DotLine);
        painter->setPen(focusPen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(button->rect().adjusted(3, 3, -4, -4));
    }
}

// Relative luminance of a colour as WCAG defines it, 0 for black to 1 for white.
double luminance(const QColor& colour) {
    auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

} // namespace

namespace adapter {

double contrastRatio(const QColor& first, const QColor& second) {
    double a = luminance(first);
    double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// Text colours were chosen for light grounds; on a dark theme's ground the same hue is made
// lighter (or, on a light ground, darker) until it reads at the contrast asked for.
QColor readableOn(const QColor& text, const QColor& ground, double least) {
    if (!text.isValid() || !ground.isValid() || contrastRatio(text, ground) >= least) return text;
    const bool lighten = luminance(ground) < 0.5;
    QColor candidate = text;
    for (int step = 1; step <= kContrastSteps; ++step) {
        const double share = static_cast<double>(step) / kContrastSteps;
        const double target = lighten ? 1.0 : 0.0;
        candidate =
            QColor::fromRgbF(static_cast<float>(text.redF() + (target - text.redF()) * share),
                             static_cast<float>(text.greenF() + (target - text.greenF()) * share),
                             static_cast<float>(text.blueF() + (target - text.blueF()) * share));
        if (contrastRatio(candidate, ground) >= least) return candidate;
    }
    return candidate;
}

QColor legibleOn(const QColor& designed, const QColor& ground, const QColor& themeText) {
    if (!designed.isValid() || !ground.isValid() ||
        contrastRatio(designed, ground) >= kReadableContrast) {
        return designed;
    }
    if (themeText.isValid() && contrastRatio(themeText, ground) >= kReadableContrast)
        return themeText;
    return readableOn(designed, ground, kReadableContrast);
}

bool followsDesktop(int number) {
    auto found = toolkit.colors.find(number);
    return found != toolkit.colors.end() && found->second.system;
}

// The twice-size picture, read the first time a scaled screen asks for it: a screen at scale 1
// never needs it. nullptr when there is none.
const QImage* sharpPicture(const std::string& picture, const QImage& plain) {
    auto found = toolkit.sharpPictures.find(picture);
    if (found == toolkit.sharpPictures.end()) {
        const auto path = toolkit.picturePaths.find(picture);
        QImage sharp = path != toolkit.picturePaths.end() ? loadSharpImage(path->second) : QImage();
        if (sharp.size() != plain.size() * 2) sharp = QImage();
        found = toolkit.sharpPictures.emplace(picture, sharp).first;
    }
    return found->second.isNull() ? nullptr : &found->second;
}

// On a screen scaled above 1 the twice-size picture, brought to the screen's own pixels, keeps
// the preview sharp; the picture keeps its size in the layout either way.
QPixmap pixmapFor(const std::string& picture, const QWidget* widget) {
    auto found = toolkit.pictures.find(picture);
    if (found == toolkit.pictures.end()) return QPixmap();
    const QImage& plain = found->second;
    const qreal ratio = widget != nullptr ? widget->devicePixelRatioF() : qApp->devicePixelRatio();
    const QImage* sharp = ratio > 1 ? sharpPicture(picture, plain) : nullptr;
    if (sharp == nullptr) return QPixmap::fromImage(plain);
    QSize devicePixels(static_cast<int>(std::lround(plain.width() * ratio)),
                       static_cast<int>(std::lround(plain.height() * ratio)));
    QImage fitted =
        sharp->size() == devicePixels
            ? *sharp
            : sharp->scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPixmap pixmap = QPixmap::fromImage(fitted);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

// ---- The character grid ----

int toPixelsAcross(double columns) {
    return static_cast<int>(std::lround(columns * toolkit.columnPixels));
}
int toPixelsDown(double rows) {
    return static_cast<int>(std::lround(rows * toolkit.rowPixels));
}

QRect toPixelRect(double column, double row, double width, double height) {
    int left = toPixelsAcross(column);
    int top = toPixelsDown(row);
    return QRect(left, top, toPixelsAcross(column + width) - left,
                 toPixelsDown(row + height) - top);
}

// ---- Colours and fonts ----

// Invalid for -1 and unknown numbers: the control keeps its default colour.
QColor colorOf(int number) {
    auto found = toolkit.colors.find(number);
    if (found != toolkit.colors.end()) {
        return found->second.system ? systemColor(found->second.systemIndex) : found->second.rgb;
    }
    if (number >= 0 && number < kPaletteSize) {
        return QColor(kPalette[number][0], kPalette[number][1], kPalette[number][2]);
    }
    if (number >= kPaletteSize && number < kPaletteEnd) {
        const int* base = kPalette[number - kPaletteSize];
        return QColor((base[0] + 255) / 2, (base[1] + 255) / 2, (base[2] + 255) / 2);
    }
    return QColor();
}

QFont fontOf(int number) {
    auto found = toolkit.fonts.find(number);
    if (found != toolkit.fonts.end()) return found->second;
    return QApplication::font();
}

void setUpGrid() {
    QFontMetricsF metrics(QApplication::font());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    double letterWidth = metrics.horizontalAdvance(letters) / letters.size();
    double column = std::round(letterWidth * kColumnPerLetterWidth * 4) / 4;
    toolkit.columnPixels = std::max(kLeastColumnPixels, column);
    toolkit.rowPixels =
        std::max(kLeastRowPixels,
                 std::ceil(QFontMetricsF(QApplication::font()).height()) + kRowPaddingPixels);
}

void setUpFonts() {
    QFont standard = QApplication::font();
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(standard.pointSizeF());
    QFont bold = standard;
    bold.setBold(true);
    QFont large = standard;
    large.setPointSizeF(standard.pointSizeF() + 3);
    QFont small = standard;
    small.setPointSizeF(std::max(standard.pointSizeF() - 1, 6.0));
    QFont italic = standard;
    italic.setItalic(true);
    const QFont toolkitFonts[kToolkitFontCount] = {standard, fixed, bold, large, small, italic};
    for (int number = 0; number < kToolkitFontCount; ++number) {
        toolkit.fonts[number] = toolkitFonts[number];
    }
    toolkit.currentFont = standard;
}

bool handleOwnerDraw(QWidget* widget) {
    std::string form = formNameOf(widget);
    int id = controlIdOf(widget);
    if (findControl(form, id) == nullptr) return false;
    QPainter painter(widget);
    QPainter* outerPainter = toolkit.drawPainter;
    QWidget* outerWidget = toolkit.drawWidget;
    toolkit.drawPainter = &painter;
    toolkit.drawWidget = widget;
    int token = ++toolkit.drawToken;
    raiseEvent(form, id, kEventOwnerDraw, token);
    toolkit.drawPainter = outerPainter;
    toolkit.drawWidget = outerWidget;
    return true;
}

} // namespace adapter

// ---- Pictures ----

void ezDefImageFolder(const std::string& folder) {
    QString path = toQt(folder);
    if (QFileInfo(path).isRelative())
        path = QDir(QCoreApplication::applicationDirPath()).filePath(path);
    toolkit.imageFolder = path;
}

std::string ezLoadPicture(const std::string& name) {
    ensureToolkit();
    if (toolkit.pictures.count(name) != 0) return name;
    QString path = picturePath(name);
    QImage image = path.isEmpty() ? QImage() : readImage(path);
    if (image.isNull()) return {};
    toolkit.pictures[name] = image;
    toolkit.picturePaths[name] = path;
    return name;
}

std::string ezLoadPixels(const std::string& name, int width, int height, int channels,
                         const unsigned char* colour, const unsigned char* alpha) {
    ensureToolkit();
    if (width < 1 || height < 1 || (channels != 1 && channels != 3) || colour == nullptr) return {};
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * width + x;
            const unsigned char* sample = colour + at * channels;
            const int opacity = alpha ? alpha[at] : 255;
            line[x] = channels == 1 ? qRgba(sample[0], sample[0], sample[0], opacity)
                                    : qRgba(sample[0], sample[1], sample[2], opacity);
        }
    }
    toolkit.pictures[name] = image;
    toolkit.picturePaths.erase(name);
    toolkit.sharpPictures.erase(name);
    return name;
}

std::string ezLoadIcon(const std::string& name) {
    return ezLoadPicture(name);
}

void ezSetImage(const std::string& form, int id, const std::string& picture) {
    Control* control = findControl(form, id);
    if (control == nullptr || control->kind != ControlKind::Picture) return;
    auto* label = static_cast<QLabel*>(control->widget.data());
    auto found = toolkit.pictures.find(picture);
    if (found == toolkit.pictures.end()) {
        label->clear();
        return;
    }
    QPixmap pixmap = pixmapFor(picture, label);
    const QSize room = label->contentsRect().size() * pixmap.devicePixelRatio();
    if (label->property(kFitsPictureProperty).toBool() &&
        (pixmap.width() > room.width() || pixmap.height() > room.height())) {
        const qreal ratio = pixmap.devicePixelRatio();
        pixmap = pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        pixmap.setDevicePixelRatio(ratio);
    }
    label->setPixmap(pixmap);
}

void ezGetPictureSize(const std::string& picture, int& width, int& height) {
    auto found = toolkit.pictures.find(picture);
    width = found != toolkit.pictures.end() ? found->second.width() : 0;
    height = found != toolkit.pictures.end() ? found->second.height() : 0;
}

// ---- Fonts, colours, drawing ----

void ezDefFont(int number, const std::string& face, double points, const std::string& properties) {
    ensureToolkit();
    toolkit.fonts[number] = makeFont(face, points, properties);
}

void ezUseFont(int number) {
    ensureToolkit();
    toolkit.currentFont = fontOf(number);
}

void ezUseIFont(const std::string& face, double points, const std::string& properties) {
    ensureToolkit();
    toolkit.currentFont = makeFont(face, points, properties);
}

void ezUseAutoSize(const std::string& anchors) {
    toolkit.currentAnchors = anchors;
}

void ezColor(int foreground, int background) {
    toolkit.currentForeground = foreground;
    toolkit.currentBackground = background;
}

void ezDefColor(int number, int red, int green, int blue) {
    ColorDefinition definition;
    definition.rgb =
        QColor(std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255));
    toolkit.colors[number] = definition;
}

void ezDefSystemColor(int number, int systemColor) {
    ColorDefinition definition;
    definition.system = true;
    definition.systemIndex = systemColor;
    toolkit.colors[number] = definition;
}

EzSize ezGetTextSize(int font, const std::string& text) {
    ensureToolkit();
    // A line takes whole pixels down, as a label lays it out.
    QFontMetricsF metrics(fontOf(font));
    double width = metrics.horizontalAdvance(toQt(text));
    double height = std::ceil(std::max(metrics.height(), metrics.lineSpacing()));
    return EzSize{width / toolkit.columnPixels, height / toolkit.rowPixels};
}

double ezFitWidth(char kind, int font, const std::string& caption, double leastWidth) {
    ensureToolkit();
    const QString text = withLineBreaks(caption);
    int pixels = 0;
    if (kind == 'B' || kind == 'C' || kind == 'R') {
        // The widget's own size hint counts its indicator, margins and the mnemonic's "&".
        QPushButton button;
        QCheckBox box;
        QRadioButton radio;
        QAbstractButton* measured = kind == 'B'   ? static_cast<QAbstractButton*>(&button)
                                    : kind == 'C' ? static_cast<QAbstractButton*>(&box)
                                                  : static_cast<QAbstractButton*>(&radio);
        measured->setFont(fontOf(font));
        measured->setText(text);
        pixels = measured->sizeHint().width();
    } else {
        const QFontMetrics metrics(fontOf(font));
        for (const QString& line : text.split(QLatin1Char('\n')))
            pixels = std::max(pixels, metrics.horizontalAdvance(line) + 2);
    }
    return std::max(leastWidth, pixels / toolkit.columnPixels);
}

double ezCX(int pixels) {
    ensureToolkit();
    return pixels / toolkit.columnPixels;
}

double ezCY(int pixels) {
    ensureToolkit();
    return pixels / toolkit.rowPixels;
}

void ezDrawColorButton(const std::string& form, int id, int drawToken, int face, int text,
                       int font) {
    drawButton(form, id, drawToken, face, text, font, ButtonShape::Flat);
}

void ezDraw3DButton(const std::string& form, int id, int drawToken, int face, int text, int font) {
    drawButton(form, id, drawToken, face, text, font, ButtonShape::Bevelled);
}

void ezDraw3DButtonRR(const std::string& form, int id, int drawToken, int face, int text,
                      int font) {
    drawButton(form, id, drawToken, face, text, font, ButtonShape::Rounded);
}

void ezDraw3DButtonE(const std::string& form, int id, int drawToken, int face, int text, int font) {
    drawButton(form, id, drawToken, face, text, font, ButtonShape::Elliptic);
}
