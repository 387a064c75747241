// A child's sentence for each step: the textbook's words, one idea a sentence, numbers as
// digits (the voice reads them as numbers), and for + − × only the kanji of grades 1 to 3.
#include <string>

#include "core/working/Working.h"

namespace kazu {

namespace {

// The numbers of a step, "" past the end, so a sentence never reads outside them.
struct Args {
    const std::vector<std::string>& n;
    const std::string& operator[](size_t i) const {
        static const std::string kNone;
        return i < n.size() ? n[i] : kNone;
    }
};

std::string Added(const Args& n) {
    return n[0] + "、" + n[1] + "たす" + n[2] +
           (n[3].empty() ? "は" : "に、くり上がった" + n[3] + "をたして") + n[4] + "。";
}

std::string LastDigit(const std::string& number) {
    return number.empty() ? "" : number.substr(number.size() - 1);
}

std::string Aligning(const Working& w, Phrase phrase) {
    if (phrase == Phrase::AlignPoints) {
        return "小数点をそろえて書きます。";
    }
    if (phrase == Phrase::WriteDivision) {
        return "わる数を左に、わられる数を右に書きます。";
    }
    return w.op == '*' ? "右のはしをそろえて書きます。" : "くらいをそろえて書きます。";
}

std::string Dividing(Phrase phrase, const Args& n) {
    switch (phrase) {
        case Phrase::CancelZeros:
            return "わる数とわられる数の終わりの0を、" + n[0] + "こずつ消して計算します。";
        case Phrase::PointMovedDivisor:
            return "わる数の小数点を" + n[0] +
                   "けた右にうつして、整数にします。わられる数の小数点も、" + n[0] +
                   "けた右にうつします。";
        case Phrase::DivideOn:
            return "商を小数第" + n[0] + "位まで求めます。0をつけたして、わり進みます。";
        case Phrase::PointQuotient:
            return "商の小数点は、わられる数の小数点の上にうちます。";
        case Phrase::NoQuotientYet:
            return n[0] + "は" + n[1] + "より小さいので、" + n[2] + "には商がたちません。";
        case Phrase::EstimateHidden:
            return n[0] + "わる" + n[1] + "の見当をつけます。下の位をかくして、" + n[2] + "わる" +
                   n[3] + "で、" + n[4] + "をたててみます。";
        case Phrase::EstimateCapped:
            return n[0] + "わる" + n[1] + "の見当をつけます。下の位をかくすと" + n[2] + "わる" +
                   n[3] + "で、10より大きくなるので、" + n[4] + "をたててみます。";
        case Phrase::EstimateDirect:
            return n[0] + "わる" + n[1] + "。" + n[1] + "のだんの九九で、" + n[2] + "をたてます。";
        case Phrase::CorrectDown:
            return "かけると" + n[0] + "で、" + n[1] +
                   "より大きいので、ひけません。商を1小さくして、" + n[2] + "にします。";
        case Phrase::MultiplyBack:
            return n[0] + "かける" + n[1] + "は" + n[2] + "。" + n[2] + "を書きます。";
        case Phrase::SubtractRows:
            return n[0] + "ひく" + n[1] + "は" + n[2] + "。";
        case Phrase::BringDownDigit:
            return "次の" + n[0] + "をおろします。";
        case Phrase::BringDownZero:
            return "次の0をおろしても、0のままです。";
        case Phrase::QuotientZero:
            return n[0] + "は" + n[1] + "より小さいので、商に0をたてます。";
        case Phrase::RemainderIs:
            return n[0] == "0" ? "あまりはありません。" : "あまりは" + n[0] + "です。";
        case Phrase::RemainderPoint:
            return "あまりの小数点は、わられる数のもとの小数点にそろえてうちます。あまりは" + n[0] +
                   "です。";
        default:
            return {};
    }
}

// "3かける5は15。": the carry added, then what is written: the ones digit with the tens
// carried, or for the multiplicand's last digit the whole number.
std::string DigitProduct(bool last, const Args& n) {
    std::string text = n[0] + "かける" + n[1] + "は" + n[2] + "。";
    if (!n[3].empty()) {
        text += "くり上がった" + n[3] + "をたして" + n[4] + "。";
    }
    if (last || n[4].size() < 2) {
        return text + n[4] + "を書きます。";
    }
    return text + LastDigit(n[4]) + "を書いて、" + n[4].substr(0, 1) + "くり上げます。";
}

std::string Multiplying(Phrase phrase, const Args& n) {
    switch (phrase) {
        case Phrase::MultiplyDigit:
            return "かける数の" + n[0] + "の" + n[1] +
                   "を、かけられる数の右のはしから、じゅんにかけます。";
        case Phrase::ShiftRow:
            return "次は、かける数の" + n[0] + "の" + n[1] + "をかけます。答えは、" + n[0] +
                   "から書きます。";
        case Phrase::DigitProduct:
        case Phrase::DigitProductLast:
            return DigitProduct(phrase == Phrase::DigitProductLast, n);
        case Phrase::SkipZeroDigit:
            return "かける数の" + n[0] + "は0です。0を1つ書いて、次のくらいにすすみます。";
        case Phrase::TimesZero:
            return "0をかけても、0にかけても、答えは0です。";
        case Phrase::AddPartials:
            return "かけた答えを、たてにたします。" + n[0] + "になります。";
        case Phrase::SetAsideAtStart:
            return "終わりの0は、あわせて" + n[0] + "こ。0はとっておいて、その左までをかけます。";
        case Phrase::SetAsideZeros:
            return "とっておいた0を" + n[0] + "こ、右につけます。";
        case Phrase::PointByCount:
            return "小数点より右のけたは、" + n[0] + "けたと" + n[1] + "けたで、あわせて" + n[2] +
                   "けた。答えの右から" + n[2] + "けたのところに、小数点をうちます。";
        default:
            return {};
    }
}

}  // namespace

std::string ExplainStep(const Working& w, const Step& step) {
    const Args n{step.numbers};
    switch (step.phrase) {
        case Phrase::AlignRight:
        case Phrase::AlignPoints:
        case Phrase::WriteDivision:
            return Aligning(w, step.phrase);
        case Phrase::AddColumn:
            return Added(n) + n[4] + "を書きます。";
        case Phrase::AddColumnCarryOut:
            return Added(n) + LastDigit(n[4]) + "を書いて、1くり上げます。";
        case Phrase::FinalCarry:
            return "くり上がった1を、" + n[0] + "に書きます。";
        case Phrase::SubtractColumn:
            return n[0] + "、" + n[1] + "ひく" + n[2] + "は" + n[3] + "。" + n[3] + "を書きます。";
        case Phrase::SubtractLeadingZero:
            return n[0] + "、" + n[1] + "ひく" + n[2] + "は0。いちばん左の0は書きません。";
        case Phrase::BorrowFrom:
            return n[0] + "は、" + n[1] + "から" + n[2] + "はひけません。" + n[4] +
                   "から1くり下げます。" + n[4] + "は" + n[5] + "になります。";
        case Phrase::BorrowAcrossZero:
            return n[0] + "は、" + n[1] + "から" + n[2] + "はひけません。" + n[3] + "は0なので、" +
                   n[4] + "から1くり下げます。" + n[4] + "は" + n[5] + "になります。";
        case Phrase::ZeroLends:
            return n[0] + "は10になりました。そこから" + n[1] + "へ1くり下げて、" + n[0] +
                   "は9になります。";
        case Phrase::PointAlignedSum:
            return "答えの小数点を、上の小数点にそろえてうちます。";
        case Phrase::StrikeZeros:
            return "小数のいちばん右の0は、消します。";
        case Phrase::AnswerIs:
            return "答えは" + n[0] + "です。";
        default:
            break;
    }
    const std::string multiplying = Multiplying(step.phrase, n);
    return multiplying.empty() ? Dividing(step.phrase, n) : multiplying;
}

}  // namespace kazu
