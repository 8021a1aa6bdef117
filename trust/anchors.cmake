# The certificates the issuer check is built with, from trust/kisa/ (its README says where each comes
# from). A new CA generation is its file there and its name on one of these lines.
set(VESSOP_TRUST_ROOTS KISA-RootCA-1.der KISA-RootCA-4.der)
set(VESSOP_TRUST_TEST_ROOTS Kisa-Test-RootCA-6.der Kisa-Test-RootCA-7.der)
set(VESSOP_TRUST_CAS
    CrossCertCA2.der CrossCertCA3.der CrossCertCA4.der
    SignKorea-CA2.der SignKorea-CA3.der SignKorea-CA4.der
    TradeSignCA.der TradeSignCA2.der TradeSignCA3.der TradeSignCA4.der TradeSignCA2015Test.der TradeSignCA2018Test.der
    signGATE-CA4.der signGATE-CA5.der signGATE-CA6.der
    yessignCA-Class-1.der yessignCA-Class-2.der yessignCA-Class-3.der yessignCA-Test-Class-4.der
    yessignCA-Test-Class-5.der)
