#pragma once

#include "peers/oracle/ModelOracle.h"

// The errors the model raises, each with Oracle's own code and text, so that
// every message is written in one place.
namespace peers::ora {

OraError resourceBusy();                                         // ORA-00054
OraError invalidSqlStatement();                                  // ORA-00900
OraError invalidCreateCommand();                                 // ORA-00901
OraError invalidDatatype();                                      // ORA-00902
OraError invalidTableName();                                     // ORA-00903
// name is the identifier as Oracle shows it: "COL" in double quotes, or
// empty where the parser found no identifier at all.
OraError invalidIdentifier(const QString& name);                 // ORA-00904
OraError missingKeyword();                                       // ORA-00905
OraError missingLeftParenthesis();                               // ORA-00906
OraError missingRightParenthesis();                              // ORA-00907
OraError lengthTooLong();                                        // ORA-00910
OraError invalidCharacter();                                     // ORA-00911
OraError tooManyValues();                                        // ORA-00913
OraError missingOrInvalidOption();                               // ORA-00922
OraError fromKeywordNotFound();                                  // ORA-00923
OraError missingIntoKeyword();                                   // ORA-00925
OraError missingValuesKeyword();                                 // ORA-00926
OraError inconsistentDatatypes(const QString& expected, const QString& got);  // ORA-00932
OraError notProperlyEnded();                                     // ORA-00933
OraError missingExpression();                                    // ORA-00936
OraError invalidAlterCommand();                                  // ORA-00940
OraError tableOrViewMissing();                                   // ORA-00942
OraError notEnoughValues();                                      // ORA-00947
OraError invalidDropOption();                                    // ORA-00950
OraError invalidIndexName();                                     // ORA-00953
OraError nameAlreadyUsed();                                      // ORA-00955
OraError duplicateColumnName();                                  // ORA-00957
OraError missingOnKeyword();                                     // ORA-00969
OraError identifierTooLong();                                    // ORA-00972
OraError columnNotAllowedHere();                                 // ORA-00984
OraError uniqueConstraintViolated(const QString& owner, const QString& name);  // ORA-00001
OraError nullPassword();                                         // ORA-01005
OraError notAllVariablesBound();                                 // ORA-01008
OraError invalidUsernamePassword();                              // ORA-01017
OraError illegalVariable();                                      // ORA-01036
OraError cannotInsertNull(const QString& owner, const QString& table, const QString& column);  // ORA-01400
OraError columnListAlreadyIndexed();                             // ORA-01408
OraError numericOverflow();                                      // ORA-01426
OraError valueLargerThanPrecision();                             // ORA-01438
OraError columnContainsNulls();                                  // ORA-01449
OraError maximumKeyLengthExceeded(int limit);                    // ORA-01450
OraError duplicateKeysFound();                                   // ORA-01452
OraError invalidHexNumber();                                     // ORA-01465
OraError invalidNumber();                                        // ORA-01722
OraError zeroLengthColumns();                                    // ORA-01723
OraError precisionOutOfRange();                                  // ORA-01727
OraError scaleOutOfRange();                                      // ORA-01728
OraError invalidAlterTableOption();                              // ORA-01735
OraError invalidAlterSessionOption();                            // ORA-02248
OraError missingDoubleQuote();                                   // ORA-01740
OraError zeroLengthIdentifier();                                 // ORA-01741
OraError quotedStringNotTerminated();                            // ORA-01756
OraError literalDoesNotMatchFormat();                            // ORA-01861
OraError invalidCreateIndexOption();                             // ORA-02158
OraError missingConstraintName();                                // ORA-02250
OraError referencingColumnCountMismatch();                       // ORA-02256
OraError onlyOnePrimaryKey();                                    // ORA-02260
OraError datatypeRequired();                                     // ORA-02263
OraError constraintNameUsed();                                   // ORA-02264
OraError referencedTableHasNoPrimaryKey();                       // ORA-02268
OraError noMatchingKey();                                        // ORA-02270
OraError parentKeyNotFound(const QString& owner, const QString& name);     // ORA-02291
OraError childRecordFound(const QString& owner, const QString& name);     // ORA-02292
OraError parentKeysNotFound(const QString& owner, const QString& name);    // ORA-02298
OraError duplicateKeysFound(const QString& owner, const QString& name);    // ORA-02299
OraError cannotIndexDatatype(const QString& type);               // ORA-02327
OraError cannotBeUniqueOrPrimary(const QString& type);           // ORA-02329
OraError primaryKeyViolated(const QString& owner, const QString& name);    // ORA-02437
OraError referencedByForeignKeys();                              // ORA-02449
OraError notConnected();                                         // ORA-03114
OraError viewHasErrors(const QString& owner, const QString& view);         // ORA-04063
OraError valueTooLarge(const QString& owner, const QString& table, const QString& column, int actual,
                       int maximum);                             // ORA-12899
OraError cannotResolveConnectIdentifier();                       // ORA-12154
OraError datetimePrecisionOutOfRange();                          // ORA-30088
OraError notAnIdentityColumn();                                  // ORA-30673
OraError identityColumnMustBeNumeric();                          // ORA-30675
OraError generatedAlwaysIdentity();                              // ORA-32795

} // namespace peers::ora
